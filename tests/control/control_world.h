#pragma once
// Access control on the fake platform: a rule store in a private settings folder, the connection table,
// counted process holds, the desktop's processes and its grab state.
#include "base/settings_store.h"
#include "base/tcp_table.h"
#include "control/access_control.h"
#include "control/applications_model.h"
#include "control/process_freezer.h"
#include "control/rule_store.h"
#include "fakes/fake_desktop_processes.h"
#include "fakes/fake_tcp_table.h"
#include "fakes/fake_thread_control.h"
#include "support/temp_home.h"

#include <QRegularExpression>

#include <arpa/inet.h>

#include <initializer_list>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace qb::test {

class ControlWorld {
public:
    ControlWorld()
        : settings(std::make_unique<SettingsStore>()),
          rules(std::make_unique<RuleStore>(
              *settings, RuleStoreDialogs{[this](const QString& question) {
                                              questions << question;
                                              return answer;
                                          },
                                          [this](const QString& message) { told << message; }})),
          model(*rules), table(source), freezer(threads), access(*rules, table, freezer, desktop, grabs)
    {
        rules->UpdatePrograms();
        access.OpenPrompt = [this](const std::string& path, int16_t index) {
            opened.emplace_back(path, index);
        };
    }

    // Puts a connection of process `pid` (started at tick 1000 + pid unless already known) into `slot`;
    // the endpoints are in network order, as the table delivers them.
    TcpEndpoints Connect(int slot, uint32_t pid, const char* remote = "93.184.216.34",
                         uint16_t remotePort = 80, uint16_t localPort = 40000)
    {
        ConnectionRecord& record = table.Connections[static_cast<std::size_t>(slot)];
        record.PID = pid;
        record.LocalAddr = IpAddress::FromIPv4(inet_addr("10.0.0.2"));
        record.LocalPort = htons(localPort);
        record.RemoteAddr = IpAddress::FromIPv4(inet_addr(remote));
        record.RemotePort = htons(remotePort);
        record.State = std::string(1, '5'); // not from a literal: GCC 12 misreads that copy (-Wrestrict)
        threads.startOf.try_emplace(pid, 1000 + pid);
        return record.Endpoints();
    }
    void AddRule(const QString& path, int16_t status)
    {
        ASSERT_TRUE(rules->AddProgram(path, status));
        rules->UpdatePrograms();
    }
    void Store(const QString& key, const QString& value)
    {
        settings->Save(kFirewallApplication, "Programs", key, value);
    }
    // The three columns of a rule list's row.
    static QStringList RowOf(const QAbstractItemModel& shown, int row)
    {
        return {shown.index(row, 0).data().toString(), shown.index(row, 1).data().toString(),
                shown.index(row, 2).data().toString()};
    }
    QStringList Row(int row) const { return RowOf(model, row); }
    bool Frozen(uint32_t pid) { return threads.HoldsOn(pid) > 0; }
    // The value of `key` in the [Programs] section of the file itself, not of the store's memory.
    QString OnDisk(const QString& key) const
    {
        const QString text = QString::fromUtf8(TempHome::ReadAll(settings->FilePath(kFirewallApplication)));
        const QString programs = text.section("[Programs]\n", 1).section("\n[", 0, 0);
        const auto match =
            QRegularExpression("^" + key + "=(.*)$", QRegularExpression::MultilineOption).match(programs);
        return match.hasMatch() ? match.captured(1) : "<absent>";
    }
    QStringList OnDisk(std::initializer_list<const char*> keys) const
    {
        QStringList values;
        for (const char* key : keys)
            values << OnDisk(key);
        return values;
    }

    TempHome home;
    QStringList questions;
    QStringList told;
    bool answer = true;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<RuleStore> rules;
    ApplicationsModel model;
    FakeTcpTable source;
    TcpTable table;
    FakeThreadControl threads;
    ProcessFreezer freezer;
    FakeDesktopProcesses desktop;
    FakeInputGrabs grabs;
    AccessControl access;
    std::vector<std::pair<std::string, int16_t>> opened;
};

} // namespace qb::test
