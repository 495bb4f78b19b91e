#include "window_screenshots/screenshot_scene.h"

#include "control/rule_store.h"
#include "fakes/fake_platform.h"

#include <arpa/inet.h>

#include <cmath>
#include <string>
#include <string_view>
#include <vector>

namespace qb::tools {
namespace {

constexpr uint32_t kEstablished = 5;
constexpr uint32_t kListening = 2;
constexpr uint32_t kTimeWait = 11;

// The four bytes as they lie in memory, which is how the table stores an address.
uint32_t Address(const char* dotted)
{
    in_addr address{};
    ::inet_pton(AF_INET, dotted, &address);
    return address.s_addr;
}

TcpRow Row(uint32_t state, const char* local, uint16_t localPort, const char* remote, uint16_t remotePort,
           uint32_t pid)
{
    return TcpRow{
        state, TcpEndpoints::IPv4(Address(local), htons(localPort), Address(remote), htons(remotePort)), pid};
}

IpAddress Address6(const char* text)
{
    in6_addr address{};
    ::inet_pton(AF_INET6, text, &address);
    return IpAddress::FromIPv6(&address);
}

// An established IPv6 TCP connection, or with `udp` a connected UDP socket of either family.
TcpRow Row6(const char* local, uint16_t localPort, const char* remote, uint16_t remotePort, uint32_t pid,
            bool udp = false)
{
    const bool v6 = std::string_view(remote).find(':') != std::string_view::npos;
    TcpRow row{kEstablished,
               {udp ? Transport::Udp : Transport::Tcp,
                v6 ? Address6(local) : IpAddress::FromIPv4(Address(local)), htons(localPort),
                v6 ? Address6(remote) : IpAddress::FromIPv4(Address(remote)), htons(remotePort)},
               pid};
    return row;
}

struct Program {
    uint32_t pid;
    const char* path;
    uint64_t size;
    uint16_t version[4];
};

const Program kPrograms[] = {
    {2214, "/usr/bin/firefox-esr", 748392, {115, 12, 0, 0}},
    {2873, "/usr/bin/ssh", 1063448, {9, 2, 1, 0}},
    {3120, "/usr/lib/thunderbird/thunderbird", 412920, {115, 12, 1, 0}},
    {4471, kUnknownProgram, 537216, {1, 21, 3, 0}},
    {812, "/usr/sbin/cupsd", 457008, {2, 4, 2, 0}},
};

InterfaceRow Interface(const char* name, uint32_t index, uint32_t type, uint32_t speed, uint64_t received,
                       uint64_t sent)
{
    InterfaceRow row;
    row.name = row.description = name;
    row.index = index;
    row.type = type;
    row.mtu = type == 24 ? 65536 : 1500;
    row.speed = speed;
    row.adminStatus = 1;
    row.operationalStatus = 5;
    row.octetsReceived = received;
    row.octetsSent = sent;
    return row;
}

} // namespace

void FillPlatform(test::FakePlatform& fake)
{
    fake.connectivity->state = {true, ConnectedState::kLan};
    fake.interfaces->table.rows = {
        Interface("lo", 1, 24, 0, 48'213'904, 48'213'904),
        Interface("enp3s0", 2, 6, 1'000'000'000, 1'874'320'112, 243'871'554),
        Interface("wlp2s0", 3, 6, 0, 0, 0),
    };

    uint64_t started = 41'000;
    for (const Program& program : kPrograms) {
        fake.processes->Add(program.pid, std::string(program.path));
        fake.processes->startTimes[program.pid] = started += 1'373;
        fake.threads->startOf[program.pid] = started;
        fake.files->files[program.path] = FileFacts{false, program.size};
        fake.files->versions[program.path] =
            FileVersion{static_cast<uint32_t>(program.version[0]) << 16 | program.version[1],
                        static_cast<uint32_t>(program.version[2]) << 16 | program.version[3]};
    }

    const char* const self = "192.168.1.23";
    fake.tcp->rows = {
        Row(kListening, "127.0.0.1", 631, "0.0.0.0", 0, 812),
        Row(kEstablished, self, 49822, "198.51.100.24", 443, 2214),
        Row(kEstablished, self, 49830, "203.0.113.80", 443, 2214),
        Row(kEstablished, self, 50112, "192.0.2.151", 80, 2214),
        Row(kEstablished, self, 41876, "203.0.113.9", 22, 2873),
        Row(kEstablished, self, 51044, "198.51.100.61", 993, 3120),
        Row(kEstablished, self, 51050, "198.51.100.61", 465, 3120),
        Row(kTimeWait, self, 48610, "198.51.100.24", 443, 0),
        Row(kEstablished, self, 52210, "192.0.2.77", 443, 4471),
        Row6("2001:db8:1::23", 49900, "2001:db8:85a3::8a2e:370:7334", 443, 2214),
        Row6(self, 53411, "198.51.100.24", 443, 2214, true),
    };

    auto& names = static_cast<test::FakeNameResolver&>(*fake.platform.resolver);
    const auto v4 = [](const char* dotted) { return IpAddress::FromIPv4(Address(dotted)); };
    names.Answer(v4("198.51.100.24"), "www.example.org");
    names.Answer(v4("203.0.113.80"), "cdn.example.net");
    names.Answer(v4("192.0.2.151"), std::nullopt);
    names.Answer(v4("203.0.113.9"), "build.example.com");
    names.Answer(v4("198.51.100.61"), "mail.example.com");
    names.Answer(v4("192.0.2.77"), kUnknownHost);
    names.Answer(Address6("2001:db8:85a3::8a2e:370:7334"), "v6.example.org");
}

bool AddRules(RuleStore& rules)
{
    struct Decision {
        const char* path;
        bool allow;
    };
    const Decision decisions[] = {
        {"/usr/bin/firefox-esr", true},
        {"/usr/lib/thunderbird/thunderbird", true},
        {"/usr/bin/ssh", true},
        {"/usr/sbin/cupsd", true},
        {"/usr/bin/telnet.netkit", false},
        {"/usr/bin/nc.openbsd", false},
    };
    for (const Decision& decision : decisions) {
        // A block rule asks nothing; an allow rule is stored as one and then switched, as the
        // Applications page's "Allow" does.
        if (!rules.AddProgram(decision.path, 0))
            return false;
        rules.UpdatePrograms();
        const int16_t slot = rules.CheckProgramID(decision.path);
        if (slot < 0 || (decision.allow && !rules.SetProgramStatus(slot, 1)))
            return false;
    }
    rules.UpdatePrograms();
    return true;
}

void AddTraffic(test::FakePlatform& fake, int tick)
{
    const double t = tick;
    // Kilobytes per tick of about 100 ms: a slow swell, a faster ripple and a download burst midway.
    double downloadKb = 34 + 16 * std::sin(t * 0.11) + 7 * std::sin(t * 0.47 + 1.3);
    if (tick >= 38 && tick < 52)
        downloadKb += 38 * std::sin((t - 38) * 3.14159 / 14);
    const double uploadKb = 4 + 2.5 * std::sin(t * 0.23 + 0.4);
    InterfaceRow& wired = fake.interfaces->table.rows[1];
    wired.octetsReceived += static_cast<uint64_t>(downloadKb * 1024);
    wired.octetsSent += static_cast<uint64_t>(uploadKb * 1024);
    InterfaceRow& loopback = fake.interfaces->table.rows[0];
    loopback.octetsReceived += 2'048;
    loopback.octetsSent += 2'048;
}

} // namespace qb::tools
