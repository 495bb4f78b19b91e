// Reverse look-ups through the system resolver, inside a namespace that holds only loopback: a name from
// the hosts file is found, and a DNS query has nowhere to go, so it fails at once, for the moment only.
#include "base/settings_store.h"
#include "net/dictionary.h"
#include "net/mod_wsk.h"
#include "net/threaded_host_lookup.h"
#include "platform/linux/getnameinfo_resolver.h"
#include "support/net_namespace.h"
#include "support/temp_home.h"
#include "support/wait_until.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <memory>
#include <sstream>

namespace qb {
namespace {

using namespace std::chrono_literals;

// The first name the hosts file gives 127.0.0.1, which the files back end answers with.
std::optional<QString> LoopbackNameInHostsFile()
{
    std::ifstream hosts("/etc/hosts");
    std::string line;
    while (std::getline(hosts, line)) {
        std::istringstream fields(line.substr(0, line.find('#')));
        std::string address, name;
        if (fields >> address >> name && address == "127.0.0.1")
            return QString::fromStdString(name);
    }
    return std::nullopt;
}

TEST(NameLookupInNamespaceTest,
     AnUnreachableResolverAnswersAtOnceForNowOnlyAndTheCacheFillsInLoopbacksNameInNamespace)
{
    QB_REQUIRE_FRESH_NAMESPACE();
    linux_os::GetnameinfoResolver resolver;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(ModWsk::ResolveHostName(resolver, "10.1.2.3"), (HostAnswer{"10.1.2.3", false}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
    const auto loopbackName = LoopbackNameInHostsFile();
    if (!loopbackName)
        GTEST_SKIP() << "/etc/hosts names no 127.0.0.1";
    EXPECT_EQ(ModWsk::ResolveHostName(resolver, "127.0.0.1"), (HostAnswer{*loopbackName, true}));

    test::TempHome home;
    SettingsStore settings;
    ThreadedHostLookup lookup(std::make_shared<linux_os::GetnameinfoResolver>());
    CDictionary cache(settings, lookup, home.Path() + "/");
    QStringList resolved;
    QObject::connect(&cache, &CDictionary::HostNameResolved,
                     [&](const QString& address, const QString& name) { resolved << address + "=" + name; });
    EXPECT_EQ(cache.CheckDictionary("10.1.2.3"), "10.1.2.3");
    EXPECT_EQ(cache.CheckDictionary("127.0.0.1"), "127.0.0.1");
    ASSERT_TRUE(test::WaitUntil([&] { return !resolved.isEmpty(); }, 10s));
    EXPECT_EQ(resolved, QStringList({"127.0.0.1=" + *loopbackName}));
    EXPECT_EQ(cache.CheckDictionary("127.0.0.1"), *loopbackName);
    EXPECT_EQ(cache.Addresses(), QStringList{"127.0.0.1"}); // 10.1.2.3 is asked again later
}

} // namespace
} // namespace qb
