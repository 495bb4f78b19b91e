#pragma once
// The connection attempt prompt: an always-on-top window that names an unknown program, shows the
// connection it tried to use and lets the user block or allow it once or always.
#include "control/attempt_prompt.h"

#include <QWidget>

class QComboBox;
class QLabel;

namespace qb {

class AccessControl;
class HostNames;
class ProgramIcons;
class RuleStore;
class TcpTable;
class TcpTableSource;
class UserControl7;

// What every prompt works with; all of it must outlive the prompts.
struct AttemptServices {
    AccessControl& access;
    TcpTable& table;
    TcpTableSource& source;
    RuleStore& rules;
    HostNames& iphDNS;
    ProgramIcons& icons;
};

// `frmAttempt`: a top-level window without a parent, kept above other windows, deleted when it closes.
// ShowInfo fills and shows it at once; the host name and the icon follow when their look-ups answer.
// Ok carries out the chosen action on the connection copied by ShowInfo and closes; closing without Ok
// only ends the pending state and releases the program, as does destroying an open prompt.
// UI thread only.
class frmAttempt : public QWidget {
    Q_OBJECT
public:
    static constexpr QSize kSize{420, 310};

    explicit frmAttempt(const AttemptServices& services);
    ~frmAttempt() override;

    void ShowInfo(const std::string& programPath, int16_t intConnection);
    // What a click on the Ok button does.
    void Ok();

    const AttemptPrompt& Prompt() const { return m_prompt; }
    // The five detail lines, in order: program, path, local port, remote port, remote host.
    QStringList DetailLines() const;
    QComboBox* ActionList() const { return m_cboAction; }
    UserControl7* OkButton() const { return m_userControl71; }
    QLabel* Icon() const { return m_picIcon; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    QLabel* AddLabel(const QString& text, QPoint at, bool bold = false);
    void ShowHostName(const QString& name);
    void ShowIcon();

    AttemptPrompt m_prompt;
    HostNames& m_iphDNS;
    ProgramIcons& m_icons;
    QString m_band;
    QLabel* m_picIcon = nullptr;
    QLabel* m_lines[5] = {};
    QComboBox* m_cboAction = nullptr;
    UserControl7* m_userControl71 = nullptr;
};

} // namespace qb
