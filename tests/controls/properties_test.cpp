#include "controls/user_control1.h"
#include "controls/user_control5.h"
#include "controls/user_control7.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

template <class Control> PropertyBag SavedAfterReading(const PropertyBag& read)
{
    Control control;
    control.ReadProperties(read);
    PropertyBag saved;
    control.WriteProperties(saved);
    return saved;
}

// Values other than the defaults, so that a key spelt differently either way loses them.
TEST(SavedPropertiesTest, EachControlSavesWhatItRead)
{
    const PropertyBag header{{"strCaption", "Help"}};
    const PropertyBag toolbarButton{{"Hold_Caption", "Options"}, {"Hold_Icon", 3}};
    const PropertyBag pushButton{{"Hold_Caption", "Block"}, {"Hold_Enabled", false}};
    EXPECT_EQ(SavedAfterReading<UserControl1>(header), header);
    EXPECT_EQ(SavedAfterReading<UserControl5>(toolbarButton), toolbarButton);
    EXPECT_EQ(SavedAfterReading<UserControl7>(pushButton), pushButton);
}

} // namespace
} // namespace qb
