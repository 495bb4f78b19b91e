#pragma once
// The hidden window that owns the notification-area icon (a padlock drawn at start-up), its tooltip and
// its three-item menu.
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>

class QAction;
class QMenu;

namespace qb {

class PictureBox;

// `frmSystemTray`. Created hidden; its construction is the window's load and adds the icon. Closing it
// (the menu's "Close" or any other close) removes the icon. Left and right clicks on the icon both open
// the menu, once. Where no notification area exists the icon simply does not appear. UI thread only.
class frmSystemTray : public QWidget {
    Q_OBJECT
public:
    static constexpr int kIconSide = 16;
    static constexpr int kMaxTipLength = 63;

    explicit frmSystemTray(QWidget* parent = nullptr);
    ~frmSystemTray() override;

    // Seams to the main window; each may be left empty.
    std::function<void()> ShowMainWindow;         // "Open Personal Firewall"
    std::function<bool()> FirewallEnabled;        // reads Firewall_Enabled
    std::function<void(bool)> SetFirewallEnabled; // writes Firewall_Enabled
    std::function<void()> UnloadMainWindow;       // "Close": sets Unloaded and closes the main window

    // Draws the padlock with its frame into PicIco, makes it the icon and shows the icon (no tooltip).
    void AddTrayIcon();
    // Replaces the tooltip with `text`, cut to its first 63 characters.
    void SetTrayTip(const QString& text);
    // Hides the icon; adding it again is possible.
    void RemoveTrayIcon();

    // `text` as the tooltip shows it: at most 63 characters, never half of a surrogate pair.
    static QString CutTrayTip(const QString& text);

    bool IconShown() const;
    QString TrayTip() const;
    QImage IconImage() const;
    QSystemTrayIcon& TrayIcon() { return *m_tray; }
    QMenu& mnuSystem() { return *m_mnuSystem; }
    QAction& mnuOpen() { return *m_mnuOpen; }
    QAction& mnuEnable() { return *m_mnuEnable; }
    QAction& mnuclose() { return *m_mnuclose; }

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void CreateMenu();
    void OnActivated(QSystemTrayIcon::ActivationReason reason);
    void OnMenuAboutToShow();
    void ToggleFirewall();
    void CloseSystem();

    PictureBox* m_picIco = nullptr;
    QSystemTrayIcon* m_tray = nullptr;
    QMenu* m_mnuSystem = nullptr;
    QAction* m_mnuOpen = nullptr;
    QAction* m_mnuEnable = nullptr;
    QAction* m_mnuclose = nullptr;
};

} // namespace qb
