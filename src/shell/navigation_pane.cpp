#include "shell/navigation_pane.h"

#include "controls/draw_caption.h"
#include "controls/page_geometry.h"
#include "controls/user_control1.h"
#include "controls/user_control4.h"

namespace qb {
namespace {

// The headers' own margin is drawn in this blue, so the column shares it.
constexpr qint32 kNavigationBlue = 15836238;
constexpr int kInset = 8;
// A strip widens itself by 200 twips when it opens; the header is that much narrower than the column, so
// an open strip, and the tab of its chosen entry, reach exactly to the column's right edge.
constexpr int kHeaderWidth = kNavigationSize.width() - kInset - TwipsToPixels(200);

} // namespace

NavigationPane::NavigationPane(QWidget* parent)
    : PictureBox(parent), m_userControl11(AddHeader(QStringLiteral("Firewall"))),
      m_userControl41(AddStrip({"Data transfer", "Options", "Applications", "Monitoring"})),
      m_userControl12(AddHeader(QStringLiteral("Help"))),
      m_userControl42(AddStrip({"Help topics", "Visit homepage", "About"}))
{
    setObjectName(QStringLiteral("NavigationPane"));
    resize(kNavigationSize);
    SetBackColor(kNavigationBlue);
    m_userControl11->setObjectName(QStringLiteral("UserControl11"));
    m_userControl41->setObjectName(QStringLiteral("UserControl41"));
    m_userControl12->setObjectName(QStringLiteral("UserControl12"));
    m_userControl42->setObjectName(QStringLiteral("UserControl42"));
    m_userControl11->move(kInset, kInset);
    connect(m_userControl11, &UserControl1::Clicked, this, &NavigationPane::FirewallHeaderClicked);
    connect(m_userControl12, &UserControl1::Clicked, this, &NavigationPane::HelpHeaderClicked);
    connect(m_userControl41, &UserControl4::ButtonClick, this,
            [this](qint16 entry) { emit FirewallEntry(entry); });
    connect(m_userControl42, &UserControl4::ButtonClick, this,
            [this](qint16 entry) { emit HelpEntry(entry); });
    ApplyStartLayout();
}

void NavigationPane::ApplyStartLayout()
{
    m_userControl11->ForceClick();
    FirewallHeaderClicked(1);
}

void NavigationPane::FirewallHeaderClicked(qint16 state)
{
    m_userControl12->Reset();
    m_userControl42->Reset();
    m_userControl42->hide();
    int y = 0;
    if (state == 1) {
        OpenUnder(*m_userControl41, *m_userControl11);
        m_userControl41->show();
        y = m_userControl41->y() + m_userControl41->height();
    } else if (state == 0) {
        m_userControl41->hide();
        y = m_userControl11->y() + m_userControl11->height();
    } else {
        return;
    }
    m_userControl12->move(m_userControl12->x(), y + kSectionGap);
}

void NavigationPane::HelpHeaderClicked(qint16 state)
{
    m_userControl11->Reset();
    m_userControl41->Reset();
    m_userControl41->hide();
    m_userControl12->move(m_userControl12->x(),
                          m_userControl11->y() + m_userControl11->height() + kSectionGap);
    if (state == 1)
        OpenUnder(*m_userControl42, *m_userControl12);
    else if (state != 0)
        return;
    m_userControl42->setVisible(state == 1);
}

void NavigationPane::BringStripsToFront()
{
    m_userControl41->raise();
    m_userControl42->raise();
    raise();
}

UserControl1* NavigationPane::AddHeader(const QString& caption)
{
    auto* header = new UserControl1(this);
    header->SetCaption(caption);
    header->setGeometry(kInset, kInset, kHeaderWidth, header->height());
    // The window tracks the pointer over its headers for as long as it lives.
    header->SubClassMe();
    return header;
}

UserControl4* NavigationPane::AddStrip(std::initializer_list<const char*> entries)
{
    auto* strip = new UserControl4(this);
    for (const char* entry : entries)
        strip->AddButton(QString::fromLatin1(entry));
    strip->hide();
    return strip;
}

void NavigationPane::OpenUnder(UserControl4& strip, const UserControl1& header)
{
    strip.setGeometry(header.x(), header.y() + header.height(), header.width(), strip.height());
    strip.ShowMe();
}

} // namespace qb
