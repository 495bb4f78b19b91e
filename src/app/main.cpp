#include "monitor/connection_table_window.h"
#include "platform/linux/linux_platform.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    qb::Platform platform = qb::linux_os::MakeLinuxPlatform(qb::linux_os::DefaultStateFolder());
    qb::ConnectionTableWindow window(*platform.tcpTable, *platform.processes);
    window.show();
    return app.exec();
}
