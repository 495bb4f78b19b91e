#include "base/stored_number.h"
#include "base/text_format.h"
#include "fakes/fake_file_info.h"

#include <gtest/gtest.h>

#include <QString>

#include <clocale>
#include <cmath>
#include <limits>
#include <string>

namespace qb {
namespace {

// Addresses and program names are pinned by the monitor tests that show them.
TEST(TextFormatTest, FormatSizeCutsToTwoDecimalsAtPowersOf1024)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0 Bytes"},          {1023, "1023 Bytes"},
        {1024, "1 KB"},          {1500, "1.46 KB"},
        {1048575, "1023.99 KB"}, {1048576, "1 MB"},
        {1610612736, "1.5 GB"},  {5.0 * 1099511627776.0, "5120 GB"},
    };
    // Put back however the test ends, so that no later test runs under a comma-decimal locale.
    struct Restore {
        std::string saved = std::setlocale(LC_NUMERIC, nullptr);
        ~Restore() { std::setlocale(LC_NUMERIC, saved.c_str()); }
    } restore;
    // Qt hands the environment's locale to the C library: a comma-decimal one must change nothing shown.
    for (const char* locale : {"C", "de_DE.UTF-8"}) {
        if (!std::setlocale(LC_NUMERIC, locale))
            GTEST_SKIP() << "no " << locale << " locale here: scripts/test generates it with localedef";
        ASSERT_EQ(*std::localeconv()->decimal_point, *locale == 'C' ? '.' : ',');
        for (const auto& [bytes, text] : cases)
            EXPECT_EQ(FormatSize(bytes), text) << bytes << " " << locale;
        EXPECT_EQ(FileSizeText(123456789), "117.73 MB");
        EXPECT_EQ(FormatSize(0.00001), "1E-05 Bytes");
    }
    EXPECT_EQ(TrimDecimals("1.2.3", 0), "1.");
}

TEST(TextFormatTest, FileVersionTextPadsMinorPartsAndShortensAZeroLowHalf)
{
    test::FakeFileInfo files;
    const std::pair<FileVersion, const char*> cases[] = {
        {{5u << 16 | 1, 2600u << 16 | 2180}, "5.01.2600.2180"},
        {{6u << 16, 0}, "6.00.0000"},
        {{1u << 16 | 2, 0u << 16 | 5}, "1.02.00.05"},
        {{65535u << 16 | 65535, 65535u << 16 | 65535}, "65535.65535.65535.65535"},
    };
    for (const auto& [version, text] : cases) {
        files.versions["/usr/bin/x"] = version;
        EXPECT_EQ(FileVersionText(files, "/usr/bin/x"), text);
    }
    EXPECT_EQ(FileVersionText(files, "/usr/local/bin/unpackaged"), "");
}

constexpr double kInfinity = std::numeric_limits<double>::infinity();

TEST(StoredNumberTest, LeadingNumberReadsOnlyTheLeadingNumericPartAndOverflowsToInfinity)
{
    const std::pair<const char16_t*, double> cases[] = {
        {u"12", 12},    {u"12abc", 12}, {u" -3.5e2x", -350}, {u"+7", 7},           {u"abc", 0},
        {u"", 0},       {u"-", 0},      {u".", 0},           {u".5", 0.5},         {u"5.", 5},
        {u"1e", 1},     {u"1e+", 1},    {u"2E3", 2000},      {u"1,5", 1},          {u"0x10", 0},
        {u"1e-999", 0}, {u"inf", 0},    {u"nan", 0},         {u"0.0000e-5000", 0}, {u"007", 7},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(LeadingNumber(QStringView(text)), expected) << QString::fromUtf16(text).toStdString();
    EXPECT_EQ(LeadingNumber(u"\t7"), 7);
    EXPECT_EQ(LeadingNumber(u"\uff11\uff12"), 0); // full-width digits are no digits
    EXPECT_EQ(LeadingNumber(u"1e999"), kInfinity);
    EXPECT_EQ(LeadingNumber(u"-1e99999999999999999999"), -kInfinity);
    EXPECT_EQ(LeadingNumber(QString(400, u'9')), kInfinity);
}

TEST(StoredNumberTest, WholeNumbersRoundHalvesToEvenAndSaturateAtTheirRange)
{
    EXPECT_EQ(ClampedWhole(2.5, -10, 10), 2);
    EXPECT_EQ(ClampedWhole(3.5, -10, 10), 4);
    EXPECT_EQ(ClampedWhole(-2.6, -10, 10), -3);
    EXPECT_EQ(ClampedWhole(-11, -10, 10), -10);
    EXPECT_EQ(ClampedWhole(kInfinity, -1, 2000), 2000);
    EXPECT_EQ(ClampedWhole(-kInfinity, -1, 2000), -1);
    EXPECT_EQ(ClampedWhole(std::nan(""), 5, 9), 5);
    EXPECT_EQ(StoredInt32(u"2147483648"), 2147483647);
    EXPECT_EQ(StoredInt32(u"-2147483649 apples"), std::numeric_limits<int32_t>::min());
}

} // namespace
} // namespace qb
