#pragma once
// The made-up machine the screenshots show: a few interfaces, programs with connections, host names,
// file facts and rules. Addresses are from the documentation ranges and names under example.*.
#include <cstdint>

namespace qb {
class RuleStore;
namespace test {
struct FakePlatform;
} // namespace test
} // namespace qb

namespace qb::tools {

// Fills the fake platform: interfaces with totals, processes with their connections (one program
// without a rule, whose prompt the screenshots show), host names and file facts.
void FillPlatform(test::FakePlatform& fake);

// Stores the rules: allow for the browser, the mail client and ssh, block for two others. Asks no
// question. False when a rule could not be stored.
[[nodiscard]] bool AddRules(RuleStore& rules);

// One meter tick's traffic on the wired interface, `tick` counting from 0: a wave with bursts, so that
// the graph shows a line that moves.
void AddTraffic(test::FakePlatform& fake, int tick);

// The program without a rule and the name of the host it reaches; the browser is the program whose row
// the Monitoring page shows selected.
inline constexpr const char* kUnknownProgram = "/usr/bin/wget";
inline constexpr const char* kUnknownHost = "downloads.example.org";
inline constexpr const char* kSelectedProgram = "/usr/bin/firefox-esr";

} // namespace qb::tools
