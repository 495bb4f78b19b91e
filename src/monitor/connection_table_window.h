#pragma once
// A plain list of the connection table with owners: the program's window until the main window exists.
// It only reads; it never deletes a connection nor freezes a program.
#include "monitor/owner_resolver.h"
#include "monitor/tcp_table.h"

#include <QTimer>
#include <QWidget>

class QTableWidget;
class QLabel;

namespace qb {

class ConnectionTableWindow : public QWidget {
    Q_OBJECT
public:
    ConnectionTableWindow(TcpTableSource& source, ProcessSource& processes, QWidget* parent = nullptr);

private:
    void Refresh();

    TcpTable m_table;
    OwnerResolver m_resolver;
    QTableWidget* m_list = nullptr;
    QLabel* m_status = nullptr;
    QTimer m_timer;
};

} // namespace qb
