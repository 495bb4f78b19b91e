#include "base/stored_number.h"

#include <QString>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace qb {
namespace {

struct LeadingCase {
    const char16_t* text;
    double expected;
};

class LeadingNumberTest : public ::testing::TestWithParam<LeadingCase> {};

TEST_P(LeadingNumberTest, ReadsOnlyTheLeadingNumericPart)
{
    const LeadingCase& c = GetParam();
    EXPECT_DOUBLE_EQ(LeadingNumber(QString::fromUtf16(c.text)), c.expected)
        << QString::fromUtf16(c.text).toStdString();
}

INSTANTIATE_TEST_SUITE_P(Texts, LeadingNumberTest,
                         ::testing::Values(LeadingCase{u"12", 12}, LeadingCase{u"12abc", 12},
                                           LeadingCase{u" \t-3.5e2x", -350}, LeadingCase{u"+7", 7},
                                           LeadingCase{u"abc", 0}, LeadingCase{u"", 0}, LeadingCase{u"-", 0},
                                           LeadingCase{u".", 0}, LeadingCase{u".5", 0.5},
                                           LeadingCase{u"5.", 5}, LeadingCase{u"1e", 1},
                                           LeadingCase{u"1e+", 1}, LeadingCase{u"2E3", 2000},
                                           LeadingCase{u"1,5", 1}, LeadingCase{u"0x10", 0},
                                           LeadingCase{u"1e-999", 0}, LeadingCase{u"0.0000e-5000", 0},
                                           LeadingCase{u"\uff11\uff12", 0}, LeadingCase{u"inf", 0},
                                           LeadingCase{u"nan", 0}, LeadingCase{u"007", 7}));

TEST(LeadingNumberTest, OverflowReadsAsInfinityOfItsSign)
{
    EXPECT_EQ(LeadingNumber(u"1e999"), std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber(u"-1e99999999999999999999"), -std::numeric_limits<double>::infinity());
    EXPECT_EQ(LeadingNumber(QString(400, u'9')), std::numeric_limits<double>::infinity());
}

TEST(ClampedWholeTest, RoundsHalvesToEvenAndClamps)
{
    EXPECT_EQ(ClampedWhole(2.5, -10, 10), 2);
    EXPECT_EQ(ClampedWhole(3.5, -10, 10), 4);
    EXPECT_EQ(ClampedWhole(-2.6, -10, 10), -3);
    EXPECT_EQ(ClampedWhole(11, -10, 10), 10);
    EXPECT_EQ(ClampedWhole(-11, -10, 10), -10);
    EXPECT_EQ(ClampedWhole(std::numeric_limits<double>::infinity(), -1, 2000), 2000);
    EXPECT_EQ(ClampedWhole(-std::numeric_limits<double>::infinity(), -1, 2000), -1);
    EXPECT_EQ(ClampedWhole(std::nan(""), 5, 9), 5);
}

TEST(StoredInt32Test, SaturatesAtTheEdgesOfThe32BitRange)
{
    EXPECT_EQ(StoredInt32(u"2147483647"), 2147483647);
    EXPECT_EQ(StoredInt32(u"2147483648"), 2147483647);
    EXPECT_EQ(StoredInt32(u"99999999999999999999"), 2147483647);
    EXPECT_EQ(StoredInt32(u"-2147483649"), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(StoredInt32(u"41 apples"), 41);
}

} // namespace
} // namespace qb
