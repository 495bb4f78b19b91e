#include "controls/user_control1.h"
#include "controls/user_control5.h"
#include "controls/user_control7.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

// A control saves its defaults when nothing was read, and gives back what it read.
template <class Control> void ExpectSavedProperties(const PropertyBag& defaults, const PropertyBag& given)
{
    Control control;
    control.ReadProperties({});
    PropertyBag saved;
    control.WriteProperties(saved);
    EXPECT_EQ(saved, defaults);
    control.ReadProperties(given);
    PropertyBag again;
    control.WriteProperties(again);
    EXPECT_EQ(again, given);
}

TEST(SavedPropertiesTest, EachControlSavesItsDefaultsOrWhatItRead)
{
    ExpectSavedProperties<UserControl1>({{"strCaption", "UserControl1"}}, {{"strCaption", "Help"}});
    ExpectSavedProperties<UserControl5>({{"Hold_Caption", "null"}, {"Hold_Icon", 1}},
                                        {{"Hold_Caption", "Options"}, {"Hold_Icon", 3}});
    ExpectSavedProperties<UserControl7>({{"Hold_Caption", "null"}, {"Hold_Enabled", true}},
                                        {{"Hold_Caption", "Block"}, {"Hold_Enabled", false}});
}

} // namespace
} // namespace qb
