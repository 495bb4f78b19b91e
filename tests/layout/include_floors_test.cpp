// The floors of src/, read from the #include lines: platform/, base/, controls/ and clip/ at the bottom,
// the subsystems on them and never on each other, shell/ composing them, app/ starting shell/.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <string>

namespace qb {
namespace {

namespace fs = std::filesystem;

const std::map<std::string, std::set<std::string>>& Floors()
{
    static const std::set<std::string> kSubsystemMay{"base", "platform", "controls"};
    static const std::map<std::string, std::set<std::string>> floors{
        {"platform", {}},
        {"base", {"platform"}},
        {"controls", {}},
        {"clip", {}},
        {"monitor", kSubsystemMay},
        {"control", kSubsystemMay},
        {"traffic", kSubsystemMay},
        {"net", kSubsystemMay},
        {"shell", {"platform", "base", "controls", "clip", "monitor", "control", "traffic", "net"}},
        {"app", {"platform", "base", "controls", "clip", "monitor", "control", "traffic", "net", "shell"}},
    };
    return floors;
}

// Whether a file in `folder` may include one in `included`; a folder unknown to the floors may not.
bool MayInclude(const std::string& folder, const std::string& included)
{
    const auto floor = Floors().find(folder);
    return folder == included || (floor != Floors().end() && floor->second.count(included) > 0);
}

TEST(IncludeFloorsTest, EveryIncludeOfSrcStaysOnItsFloor)
{
    const fs::path src = fs::path(QB_TEST_DATA).parent_path() / "src";
    ASSERT_TRUE(fs::is_directory(src)) << src;
    const std::regex include(R"(^\s*#\s*include\s*"([^/"]+)/)");
    int files = 0;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(src)) {
        const std::string extension = entry.path().extension().string();
        if (!entry.is_regular_file() || (extension != ".h" && extension != ".cpp"))
            continue;
        ++files;
        const fs::path relative = fs::relative(entry.path(), src);
        const std::string folder = relative.begin()->string();
        std::ifstream in(entry.path());
        std::string line;
        std::smatch match;
        while (std::getline(in, line)) {
            if (std::regex_search(line, match, include) && fs::is_directory(src / match[1].str())) {
                EXPECT_TRUE(MayInclude(folder, match[1].str())) << relative.string() << ": " << line;
            }
        }
    }
    EXPECT_GT(files, 100);
}

} // namespace
} // namespace qb
