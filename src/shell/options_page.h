#pragma once
// The Options page: the firewall and block-all switches with their lights, the network activity, and a
// notice while blocking is not in force.
#include "controls/user_control2.h"
#include "traffic/transfer_meter.h"

class QLabel;

namespace qb {

class ConStatus;
class Status;

// A view of exactly kPageSize whose banner fills it. A left click anywhere on a switch's label reports
// it; the switches themselves, their captions and the activity state belong to the window that owns
// the page. UI thread only.
class OptionsPage : public UserControl2 {
    Q_OBJECT
public:
    explicit OptionsPage(QWidget* parent = nullptr);

    // The status display: Status1 and the block-all label, Status2 and the firewall label. States are
    // those of Status::SetStatus (0 off, 1 on).
    void ShowSwitchStatus(qint16 blockAllState, const QString& blockAllCaption, qint16 firewallState,
                          const QString& firewallCaption);
    // The firewall label's caption alone, as a click on it sets it.
    void SetFirewallCaption(const QString& text);
    // ConStatus1's picture, 0 to 3.
    void SetActivityStatus(qint16 state);
    // Copies Label16, Label10 and Label11 as plain text.
    void ShowTrafficLabels(const TrafficLabels& labels);
    // Shows or hides lblPrivilege: blocking is not in force because the kernel refuses to close connections
    // without CAP_NET_ADMIN, and the setcap command that gives `executable` that capability.
    void ShowDeletionsRefused(bool refused, const QString& executable);

    QLabel* lblBlockAll() const { return m_lblBlockAll; }
    QLabel* lblFirewall() const { return m_lblFirewall; }
    Status* Status1() const { return m_status1; }
    Status* Status2() const { return m_status2; }
    ConStatus* ConStatus1() const { return m_conStatus1; }
    QLabel* Label16() const { return m_label16; }
    QLabel* Label10() const { return m_label10; }
    QLabel* Label11() const { return m_label11; }
    QLabel* lblPrivilege() const { return m_lblPrivilege; }

signals:
    void BlockAllClicked();
    void FirewallClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateSwitches();
    void CreateActivity();
    QLabel* AddSwitch(const char* name, int top);
    Status* AddLight(const char* name, const QLabel& beside);
    QLabel* AddLabel(const char* name, const QRect& geometry);

    QLabel* m_lblFirewall = nullptr;
    QLabel* m_lblBlockAll = nullptr;
    Status* m_status1 = nullptr;
    Status* m_status2 = nullptr;
    ConStatus* m_conStatus1 = nullptr;
    QLabel* m_label16 = nullptr;
    QLabel* m_label10 = nullptr;
    QLabel* m_label11 = nullptr;
    QLabel* m_lblPrivilege = nullptr;
};

} // namespace qb
