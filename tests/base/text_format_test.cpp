#include "base/text_format.h"
#include "fakes/fake_file_info.h"

#include <gtest/gtest.h>

namespace qb {
namespace {

TEST(TextFormatTest, FormatSizeCutsToTwoDecimalsAtPowersOf1024)
{
    const std::pair<double, const char*> cases[] = {
        {0, "0 Bytes"},          {1023, "1023 Bytes"},
        {1024, "1 KB"},          {1500, "1.46 KB"},
        {1048575, "1023.99 KB"}, {1048576, "1 MB"},
        {1610612736, "1.5 GB"},  {5.0 * 1099511627776.0, "5120 GB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FormatSize(bytes), text) << bytes;
    EXPECT_EQ(FileSizeText(123456789), "117.73 MB");
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

// Addresses, program names and interface names are pinned by the monitor and traffic tests that show them.

} // namespace
} // namespace qb
