#include "platform/linux/linux_platform.h"
#include "shell/frm_main_window.h"
#include "shell/settings_store.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName("Quillbrook Personal Firewall");
    qb::Platform platform = qb::linux_os::MakeLinuxPlatform(qb::linux_os::DefaultStateFolder());
    qb::SettingsStore settings;
    qb::FrmMain window(platform, settings);
    window.LoadWindow();
    window.show();
    window.RefreshList();
    return app.exec();
}
