#pragma once
// The main window's navigation column: the "Firewall" and "Help" sections, each a toggle header with a
// menu strip that unfolds under it like an accordion.
#include "controls/picture_box.h"

#include <initializer_list>

namespace qb {

class UserControl1;
class UserControl4;

// A view of exactly kNavigationSize. At most one section is open at a time: opening one closes the other,
// and the "Help" header always sits 5 pixels below whatever the "Firewall" section takes up. It reports
// the entries chosen; what they do belongs to the window that owns the pane. UI thread only.
class NavigationPane : public PictureBox {
    Q_OBJECT
public:
    static constexpr int kSectionGap = 5;

    explicit NavigationPane(QWidget* parent = nullptr);

    // The layout every run starts with: "Firewall" open with its strip under the header, "Help" closed
    // 5 pixels below that strip. The constructor applies it.
    void ApplyStartLayout();
    // The accordion, as a click on a header runs it with the header's new state (1 opened, 0 closed);
    // any other state changes only the other section.
    void FirewallHeaderClicked(qint16 state);
    void HelpHeaderClicked(qint16 state);
    // Raises both strips and the pane, so that an open strip is never covered by a page.
    void BringStripsToFront();

    UserControl1* UserControl11() const { return m_userControl11; }
    UserControl4* UserControl41() const { return m_userControl41; }
    UserControl1* UserControl12() const { return m_userControl12; }
    UserControl4* UserControl42() const { return m_userControl42; }

signals:
    // Entry of the "Firewall" strip: 1 "Data transfer", 2 "Options", 3 "Applications", 4 "Monitoring".
    // Choosing the entry already chosen reports it again.
    void FirewallEntry(int entry);
    // Entry of the "Help" strip: 1 "Help topics", 2 "Visit homepage", 3 "About".
    void HelpEntry(int entry);

private:
    UserControl1* AddHeader(const QString& caption);
    UserControl4* AddStrip(std::initializer_list<const char*> entries);
    // Puts `strip` directly under `header`, with its left edge and width, and lays it out.
    static void OpenUnder(UserControl4& strip, const UserControl1& header);

    UserControl1* m_userControl11;
    UserControl4* m_userControl41;
    UserControl1* m_userControl12;
    UserControl4* m_userControl42;
};

} // namespace qb
