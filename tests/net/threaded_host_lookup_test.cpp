#include "fakes/fake_name_resolver.h"
#include "net/threaded_host_lookup.h"
#include "support/wait_until.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <memory>
#include <thread>
#include <vector>

namespace qb {
namespace {

using namespace std::chrono_literals;
using test::RunEvents;
using test::WaitUntil;

constexpr uint32_t kLoopback = 0x0100007f; // 127.0.0.1

class ThreadedHostLookupTest : public ::testing::Test {
protected:
    ThreadedHostLookupTest()
    {
        resolver->Answer(kLoopback, "localhost");
        resolver->Hold(kLoopback);
    }
    HostLookup::Done Record()
    {
        return [this](const QString& name) { answers << name; };
    }

    std::shared_ptr<test::FakeNameResolver> resolver = std::make_shared<test::FakeNameResolver>();
    QStringList answers;
};

TEST_F(ThreadedHostLookupTest, StartReturnsAtOnceAndAnswersComeOnTheCallingThreadFailuresAsTheAddress)
{
    ThreadedHostLookup lookup(resolver);
    std::vector<std::thread::id> answeredOn;
    for (const char* address : {"127.0.0.1", "10.1.2.3", "no address"}) {
        lookup.Start(address, [&](const QString& name) {
            answers << name;
            answeredOn.push_back(std::this_thread::get_id());
        });
    }
    // The first address is held, so the other two can only be answered when Start does not wait.
    ASSERT_TRUE(WaitUntil([&] { return answers.size() == 2; }, 10s));
    answers.sort();
    EXPECT_EQ(answers, QStringList({"10.1.2.3", "no address"}));
    resolver->Release(kLoopback);
    ASSERT_TRUE(WaitUntil([&] { return answers.size() == 3; }, 10s));
    EXPECT_EQ(answers.back(), "localhost");
    EXPECT_EQ(answeredOn, std::vector<std::thread::id>(3, std::this_thread::get_id()));
}

TEST_F(ThreadedHostLookupTest, ASlowLookUpTimesOutAndItsLateAnswerIsDropped)
{
    ThreadedHostLookup lookup(resolver, 150ms);
    const auto start = std::chrono::steady_clock::now();
    lookup.Start("127.0.0.1", Record());
    ASSERT_TRUE(WaitUntil([&] { return !answers.isEmpty(); }, 10s));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 140ms);
    resolver->Release(kLoopback);
    RunEvents(100ms);
    EXPECT_EQ(answers, QStringList{"127.0.0.1"});
}

TEST_F(ThreadedHostLookupTest, LookUpsQueuedPastTheirTimeAreNeverStarted)
{
    ThreadedHostLookup lookup(resolver, 100ms);
    QStringList addresses;
    for (int i = 1; i <= ThreadedHostLookup::kWorkers + 2; ++i) {
        addresses << "10.0.0." + QString::number(i);
        resolver->Hold(0x0000000a | static_cast<uint32_t>(i) << 24);
        lookup.Start(addresses.back(), Record());
    }
    ASSERT_TRUE(resolver->WaitForAsked(ThreadedHostLookup::kWorkers, 10s));
    ASSERT_TRUE(WaitUntil([&] { return answers.size() == addresses.size(); }, 10s));
    for (int i = 1; i <= addresses.size(); ++i)
        resolver->Release(0x0000000a | static_cast<uint32_t>(i) << 24);
    RunEvents(100ms);
    EXPECT_EQ(resolver->Asked().size(), static_cast<size_t>(ThreadedHostLookup::kWorkers));
    EXPECT_EQ(answers, addresses);
}

TEST_F(ThreadedHostLookupTest, NothingIsAnsweredAfterTheLookUpIsGone)
{
    {
        ThreadedHostLookup lookup(resolver);
        lookup.Start("127.0.0.1", Record());
        ASSERT_TRUE(resolver->WaitForAsked(1, 10s));
    }
    resolver->Release(kLoopback);
    RunEvents(100ms);
    EXPECT_TRUE(answers.isEmpty());
}

} // namespace
} // namespace qb
