#pragma once
// The "Monitoring" page of the main window: the connection list, the offline panel, the buttons that close
// a connection or a program, a "Ping" context menu, and the details pane.
#include "monitor/connection_actions.h"
#include "monitor/connection_monitor.h"

#include <QPixmap>
#include <QThreadPool>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QAction;
class QMenu;
class QTreeWidget;
class QTreeWidgetItem;

namespace qb {

class DetailsPane;
class FileInfoSource;
class HostNames;
class ProgramIcons;
class UserControl2;
class UserControl7;

// What the page uses; every reference must outlive it.
struct MonitoringServices {
    TcpTableSource& tcpTable;
    ProcessTerminator& terminator;
    FileInfoSource& files;
    ProgramIcons& icons;
    std::function<HostNames&()> iphDNS; // the main window's name cache, created on first use
    // The attempts count of a program's rule, or nothing when it has none.
    std::function<std::optional<int32_t>(const QString& path)> attemptsOf;
    // Pings an address and returns the text to show, or nothing; it blocks, so it runs on a worker.
    std::function<std::optional<QString>(const QString& address)> ping;
};

// A widget of kPageSize whose banner fills it and carries the title "Monitoring". Rows come from the monitor
// (SetRows); each keeps its slot index as its tag and the connection and process it was built from, so the
// buttons act on those even after the slot was reused. The buttons start disabled and are enabled for good
// when the list first takes the focus. The details pane is empty while no row is selected, also when the
// selected row's connection is gone from a rebuilt list. A ping runs on a worker thread. Outside text is
// shown as plain text. UI thread only.
class MonitoringPage : public QWidget {
    Q_OBJECT
public:
    static constexpr int kTagRole = Qt::UserRole;   // the row's slot index
    static constexpr int kColumn1Width = 2000 / 15; // the list's twips, in pixels
    static constexpr int kColumn2Margin = 600 / 15;

    explicit MonitoringPage(MonitoringServices services, QWidget* parent = nullptr);
    ~MonitoringPage() override;

    // A yes/no question shown as plain text (its text is already escaped); unset answers No.
    std::function<bool(const QString& question)> AskYesNo;
    // A message shown as plain text (the ping's result).
    std::function<void(const QString& text)> ShowMessage;

    // MonitorHooks::ShowRows: brings the list to `rows` in place: a row built from the same connection and
    // process as before keeps its item, and the selection with it. The icon cache keeps only the programs
    // of these rows.
    void SetRows(const std::vector<MonitorRow>& rows);
    // MonitorHooks::ShowOfflinePanel: Picture4 over the list.
    void SetOffline(bool offline);
    // Start-up while offline: the list is emptied.
    void ClearList();

    UserControl2* Banner() const { return m_banner; }
    QTreeWidget* ListView1() const { return m_list; }
    QWidget* Picture4() const { return m_picture4; }
    UserControl7* UserControl72() const { return m_closeConnection; } // "Zatvor pripojenie"
    UserControl7* UserControl71() const { return m_closeProgram; }    // "Zatvor program"
    DetailsPane* Pane() const { return m_pane; }
    QMenu* ContextMenu() const { return m_menu; }
    QAction* PingAction() const { return m_ping; }
    // The row behind a list item; nullptr for an item of no row.
    const MonitorRow* RowOf(const QTreeWidgetItem* item) const;

signals:
    // The ping's result was handed to ShowMessage.
    void PingAnswered(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CreateList();
    void CreateButtons();
    void EnableButtons();
    void OnCurrentItemChanged(QTreeWidgetItem* current);
    void OnItemClicked(QTreeWidgetItem* item);
    void OnContextMenu(const QPoint& position);
    void OnIconReady(const QString& path);
    void ShowRow(QTreeWidgetItem* item, const MonitorRow& row, std::size_t index);
    void CloseSelectedConnection();
    void CloseSelectedProgram();
    void Ping(const MonitorRow& row);
    const MonitorRow* SelectedRow() const;

    std::function<std::optional<QString>(const QString&)> m_pingAddress;
    ProgramIcons& m_icons;
    ConnectionActions m_actions;
    std::vector<MonitorRow> m_rows;
    MonitorRow m_menuRow;
    QPixmap m_question; // PicQuestion: the icon of a row without a program

    UserControl2* m_banner = nullptr;
    QTreeWidget* m_list = nullptr;
    QWidget* m_picture4 = nullptr;
    UserControl7* m_closeConnection = nullptr;
    UserControl7* m_closeProgram = nullptr;
    DetailsPane* m_pane = nullptr;
    QMenu* m_menu = nullptr;
    QAction* m_ping = nullptr;
    QThreadPool m_pool;
};

} // namespace qb
