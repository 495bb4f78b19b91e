#include "fakes/fake_process_terminator.h"
#include "fakes/fake_tcp_table.h"
#include "monitor/connection_actions.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace qb {
namespace {

using Result = ConnectionActions::CloseProgramResult;

MonitorRow ProgramRow(const QString& path, uint32_t pid, std::optional<uint64_t> startTime)
{
    MonitorRow row;
    row.path = path;
    row.pid = pid;
    row.startTime = startTime;
    row.endpoints = TcpEndpoints{1, 2, 3, 4};
    return row;
}

class ConnectionActionsTest : public ::testing::Test {
protected:
    test::FakeTcpTable tcp;
    test::FakeProcessTerminator terminator;
    ConnectionActions actions{tcp, terminator};
    QStringList questions;
    bool answer = true;

    void SetUp() override
    {
        actions.AskYesNo = [this](const QString& question) {
            questions << question;
            return answer;
        };
    }
};

TEST_F(ConnectionActionsTest, ClosingAConnectionDeletesTheRowsOwnEndpoints)
{
    MonitorRow row = ProgramRow("/usr/bin/curl", 7, 100);
    EXPECT_TRUE(actions.CloseConnection(row));
    tcp.refuseDeletes = true;
    EXPECT_FALSE(actions.CloseConnection(row));
    EXPECT_EQ(tcp.deleted, (std::vector<TcpEndpoints>{{1, 2, 3, 4}, {1, 2, 3, 4}}));
}

TEST_F(ConnectionActionsTest, ClosingAProgramAsksByNameAndEndsOnlyTheProcessTheRowWasBuiltFrom)
{
    const struct {
        const char* what;
        MonitorRow row;
        bool answer;
        std::map<uint32_t, uint64_t> running;
        Result result;
    } cases[] = {
        {"same process", ProgramRow("/usr/bin/curl", 7, 100), true, {{7, 100}}, Result::Ended},
        {"answered No", ProgramRow("/usr/bin/curl", 7, 100), false, {{7, 100}}, Result::Declined},
        {"pid reused", ProgramRow("/usr/bin/curl", 7, 100), true, {{7, 101}}, Result::Refused},
        {"ended", ProgramRow("/usr/bin/curl", 7, 100), true, {}, Result::Refused},
        {"Unknown row", ProgramRow("", 7, 100), true, {{7, 100}}, Result::NoProgram},
        {"no owner", ProgramRow("/usr/bin/curl", 0, 100), true, {{0, 100}}, Result::NoProgram},
        {"start unread", ProgramRow("/usr/bin/curl", 7, std::nullopt), true, {{7, 0}}, Result::NoProgram},
    };
    for (const auto& c : cases) {
        questions.clear();
        answer = c.answer;
        terminator.running = c.running;
        terminator.terminated.clear();
        EXPECT_EQ(actions.CloseProgram(c.row), c.result) << c.what;
        // Rows that name no process are not asked about.
        EXPECT_EQ(questions, c.result == Result::NoProgram
                                 ? QStringList()
                                 : QStringList{"Are you sure you want to close curl ?"})
            << c.what;
        EXPECT_EQ(terminator.terminated,
                  c.result == Result::Ended ? std::vector<uint32_t>{7} : std::vector<uint32_t>{})
            << c.what;
    }
    actions.AskYesNo = nullptr; // without a question box nothing is ended
    EXPECT_EQ(actions.CloseProgram(ProgramRow("/usr/bin/curl", 7, 100)), Result::Declined);
    EXPECT_TRUE(terminator.terminated.empty());
}

} // namespace
} // namespace qb
