#include "monitor/connection_table_window.h"

#include "monitor/text_format.h"

#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

namespace qb {

ConnectionTableWindow::ConnectionTableWindow(TcpTableSource& source, ProcessSource& processes,
                                             QWidget* parent)
    : QWidget(parent), m_table(source), m_resolver(m_table, processes)
{
    setWindowTitle("Quillbrook Personal Firewall");
    resize(720, 480);
    m_list = new QTableWidget(0, 4, this);
    m_list->setHorizontalHeaderLabels({"Program (port)", "Remote", "State", "PID"});
    m_list->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_list->verticalHeader()->hide();
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_status = new QLabel(this);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_list);
    layout->addWidget(m_status);
    connect(&m_timer, &QTimer::timeout, this, &ConnectionTableWindow::Refresh);
    m_timer.start(1000);
    Refresh();
}

void ConnectionTableWindow::Refresh()
{
    if (!m_table.FetchTcpTable() && m_list->rowCount() > 0)
        return;
    m_table.ConvertTcpTable();
    m_resolver.ResolveOwners();
    m_list->setRowCount(0);
    for (int32_t i = 0; i <= m_table.MonitoredCount(); ++i) {
        const ConnectionRecord& slot = m_table.Connections[static_cast<std::size_t>(i)];
        if (slot.State == "2" || slot.State.empty())
            continue;
        const std::string name = slot.Path.empty() ? "Unknown" : ProgramName(slot.Path);
        const QString cells[4] = {
            QString::fromStdString(name + " (" + std::to_string(TcpTable::PortNumber(slot.LocalPort)) + ")"),
            QString::fromStdString(FormatIPv4(slot.RemoteAddr) + ":" +
                                   std::to_string(TcpTable::PortNumber(slot.RemotePort))),
            QString::fromStdString(slot.State), QString::number(slot.PID)};
        const int row = m_list->rowCount();
        m_list->insertRow(row);
        for (int c = 0; c < 4; ++c)
            m_list->setItem(row, c, new QTableWidgetItem(cells[c]));
    }
    m_status->setText(QString("Monitoring %1 connections").arg(m_table.RowCount()));
}

} // namespace qb
