#include "shell/frm_system_tray_window.h"

#include "controls/images/picture_catalogue.h"
#include "controls/picture_box.h"

#include <QCloseEvent>
#include <QCursor>
#include <QMenu>

namespace qb {
namespace {

constexpr qint32 kFrameColour = 12632256; // (192, 192, 192)

} // namespace

frmSystemTray::frmSystemTray(QWidget* parent) : QWidget(parent)
{
    setWindowTitle(QStringLiteral("frmSystemTray"));
    m_picIco = new PictureBox(this);
    m_picIco->resize(kIconSide, kIconSide);
    m_picIco->hide();
    m_tray = new QSystemTrayIcon(this);
    CreateMenu();
    // No context menu is given to the icon: the platform would then open it on a right click besides
    // our own, and the menu would come up twice.
    connect(m_tray, &QSystemTrayIcon::activated, this, &frmSystemTray::OnActivated);
    AddTrayIcon();
}

frmSystemTray::~frmSystemTray()
{
    RemoveTrayIcon();
}

void frmSystemTray::CreateMenu()
{
    m_mnuSystem = new QMenu(QStringLiteral("SystemMenu"), this);
    m_mnuOpen = m_mnuSystem->addAction(QStringLiteral("Open Personal Firewall"));
    m_mnuEnable = m_mnuSystem->addAction(QStringLiteral("Disable Firewall"));
    m_mnuclose = m_mnuSystem->addAction(QStringLiteral("Close"));
    connect(m_mnuOpen, &QAction::triggered, this, [this] {
        if (ShowMainWindow)
            ShowMainWindow();
    });
    connect(m_mnuEnable, &QAction::triggered, this, &frmSystemTray::ToggleFirewall);
    connect(m_mnuclose, &QAction::triggered, this, &frmSystemTray::CloseSystem);
    connect(m_mnuSystem, &QMenu::aboutToShow, this, &frmSystemTray::OnMenuAboutToShow);
}

void frmSystemTray::AddTrayIcon()
{
    m_picIco->Cls();
    m_picIco->DrawImageString(1, QString::fromLatin1(images::kTrayPadlock), 3, 1);
    // A line leaves out its end point, so these four draw exactly the outermost pixels.
    const int w = m_picIco->width();
    const int h = m_picIco->height();
    m_picIco->Line(QPoint(0, 0), QPoint(w, 0), kFrameColour);
    m_picIco->Line(QPoint(w - 1, 0), QPoint(w - 1, h), kFrameColour);
    m_picIco->Line(QPoint(0, 0), QPoint(0, h), kFrameColour);
    m_picIco->Line(QPoint(0, h - 1), QPoint(w, h - 1), kFrameColour);
    m_tray->setIcon(QIcon(QPixmap::fromImage(m_picIco->Surface())));
    m_tray->show();
}

void frmSystemTray::SetTrayTip(const QString& text)
{
    m_tray->setToolTip(CutTrayTip(text));
}

void frmSystemTray::RemoveTrayIcon()
{
    m_mnuSystem->hide();
    m_tray->hide();
}

QString frmSystemTray::CutTrayTip(const QString& text)
{
    if (text.size() <= kMaxTipLength)
        return text;
    int length = kMaxTipLength;
    if (text.at(length - 1).isHighSurrogate())
        --length;
    return text.left(length);
}

bool frmSystemTray::IconShown() const
{
    return m_tray->isVisible();
}

QString frmSystemTray::TrayTip() const
{
    return m_tray->toolTip();
}

QImage frmSystemTray::IconImage() const
{
    return m_picIco->Surface().copy();
}

void frmSystemTray::closeEvent(QCloseEvent* event)
{
    RemoveTrayIcon();
    event->accept();
}

void frmSystemTray::OnActivated(QSystemTrayIcon::ActivationReason reason)
{
    if (reason != QSystemTrayIcon::Trigger && reason != QSystemTrayIcon::Context)
        return;
    // A click while the menu is up belongs to the menu's own closing, not to a second opening.
    if (m_mnuSystem->isVisible())
        return;
    m_mnuSystem->popup(QCursor::pos());
}

void frmSystemTray::OnMenuAboutToShow()
{
    // Set from the switch each time: the main window may have toggled it since the menu was last open.
    const bool enabled = FirewallEnabled ? FirewallEnabled() : true;
    m_mnuEnable->setText(enabled ? QStringLiteral("Disable Firewall") : QStringLiteral("Enable Firewall"));
}

void frmSystemTray::ToggleFirewall()
{
    const bool enabled = FirewallEnabled ? FirewallEnabled() : true;
    if (SetFirewallEnabled)
        SetFirewallEnabled(!enabled);
    m_mnuEnable->setText(enabled ? QStringLiteral("Enable Firewall") : QStringLiteral("Disable Firewall"));
}

void frmSystemTray::CloseSystem()
{
    if (UnloadMainWindow)
        UnloadMainWindow();
    close();
}

} // namespace qb
