#include "shell/options_page.h"

#include "controls/con_status.h"
#include "controls/page_geometry.h"
#include "controls/page_title.h"
#include "controls/plain_text.h"
#include "controls/status.h"

#include <QLabel>
#include <QMouseEvent>
#include <QRegularExpression>

namespace qb {
namespace {

constexpr int kSwitchRowHeight = 28;
constexpr int kSwitchTop = kPageContentTop + 12;
constexpr int kSwitchLabelLeft = kPageMargin + 26;
constexpr int kSwitchLabelWidth = 280;
constexpr int kActivityTop = kSwitchTop + 2 * kSwitchRowHeight + 24;
constexpr int kActivityPicture = 50;
constexpr int kActivityTextLeft = kPageMargin + kActivityPicture + 16;
constexpr int kActivityLineHeight = 20;
constexpr int kNoticeTop = kActivityTop + kActivityPicture + 16;
constexpr qint32 kWhite = 16777215;

} // namespace

OptionsPage::OptionsPage(QWidget* parent) : UserControl2(parent)
{
    setObjectName(QStringLiteral("OptionsPage"));
    setFont(PageFont(12, false));
    resize(kPageSize);
    AddPageTitle(this, QStringLiteral("Options"));
    CreateSwitches();
    CreateActivity();
    // The state every run starts in, until the window's status display first runs.
    ShowSwitchStatus(0, QStringLiteral("Block all programs: Off"), 1, QStringLiteral("Firewall enabled"));
}

void OptionsPage::ShowSwitchStatus(qint16 blockAllState, const QString& blockAllCaption, qint16 firewallState,
                                   const QString& firewallCaption)
{
    m_status1->SetStatus(blockAllState);
    m_lblBlockAll->setText(blockAllCaption);
    m_status2->SetStatus(firewallState);
    m_lblFirewall->setText(firewallCaption);
}

void OptionsPage::SetFirewallCaption(const QString& text)
{
    m_lblFirewall->setText(text);
}

void OptionsPage::ShowDeletionsRefused(bool refused, const QString& executable)
{
    // Quoted for the shell unless every character is plain.
    static const QRegularExpression plain(QStringLiteral("^[A-Za-z0-9/._+-]+$"));
    const QString target = plain.match(executable).hasMatch()
                               ? executable
                               : u'\'' + QString(executable).replace(u'\'', "'\\''") + u'\'';
    SetOutsideText(
        m_lblPrivilege,
        QStringLiteral("Blocking is not in force: the system refuses to close connections, because "
                       "this program lacks the CAP_NET_ADMIN capability. To give it that capability, "
                       "run:\nsudo setcap cap_net_admin+ep "),
        target);
    m_lblPrivilege->setVisible(refused);
}

void OptionsPage::SetActivityStatus(qint16 state)
{
    m_conStatus1->SetStatus(state);
}

void OptionsPage::ShowTrafficLabels(const TrafficLabels& labels)
{
    SetOutsideText(m_label16, {}, labels.Label16);
    SetOutsideText(m_label10, {}, labels.Label10);
    SetOutsideText(m_label11, {}, labels.Label11);
}

bool OptionsPage::eventFilter(QObject* watched, QEvent* event)
{
    // A press and release over the label is a click; the label holds the pointer from the press on, so
    // the release only counts when it is still over the label.
    const bool isSwitch = watched == m_lblBlockAll || watched == m_lblFirewall;
    if (isSwitch && event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const auto* label = static_cast<QLabel*>(watched);
        if (mouse->button() == Qt::LeftButton && label->rect().contains(mouse->position().toPoint())) {
            if (watched == m_lblBlockAll)
                emit BlockAllClicked();
            else
                emit FirewallClicked();
        }
    }
    return UserControl2::eventFilter(watched, event);
}

void OptionsPage::CreateSwitches()
{
    m_lblFirewall = AddSwitch("lblFirewall", kSwitchTop);
    m_status2 = AddLight("Status2", *m_lblFirewall);
    m_lblBlockAll = AddSwitch("lblBlockAll", kSwitchTop + kSwitchRowHeight);
    m_status1 = AddLight("Status1", *m_lblBlockAll);
}

QLabel* OptionsPage::AddSwitch(const char* name, int top)
{
    QLabel* label = AddLabel(name, QRect(kSwitchLabelLeft, top, kSwitchLabelWidth, kSwitchRowHeight - 6));
    label->setFont(PageFont(13, true));
    label->setCursor(Qt::PointingHandCursor);
    label->installEventFilter(this);
    return label;
}

Status* OptionsPage::AddLight(const char* name, const QLabel& beside)
{
    auto* light = new Status(this);
    light->setObjectName(QLatin1StringView(name));
    // Level with the middle of its label.
    light->move(kPageMargin, beside.geometry().center().y() - light->height() / 2);
    return light;
}

void OptionsPage::CreateActivity()
{
    m_conStatus1 = new ConStatus(this);
    m_conStatus1->setObjectName(QStringLiteral("ConStatus1"));
    m_conStatus1->setGeometry(kPageMargin, kActivityTop, kActivityPicture, kActivityPicture);
    // The picture's transparent surround shows the page's white.
    m_conStatus1->SetBackColor(kWhite);
    const int textWidth = kPageSize.width() - kActivityTextLeft - kPageMargin;
    // Three lines centred on the picture.
    const int top = kActivityTop + (kActivityPicture - 3 * kActivityLineHeight) / 2;
    m_label16 = AddLabel("Label16", QRect(kActivityTextLeft, top, textWidth, kActivityLineHeight));
    m_label10 = AddLabel("Label10",
                         QRect(kActivityTextLeft, top + kActivityLineHeight, textWidth, kActivityLineHeight));
    m_label11 = AddLabel(
        "Label11", QRect(kActivityTextLeft, top + 2 * kActivityLineHeight, textWidth, kActivityLineHeight));
    m_lblPrivilege =
        AddLabel("lblPrivilege", QRect(kPageMargin, kNoticeTop, kPageSize.width() - 2 * kPageMargin, 80));
    m_lblPrivilege->setWordWrap(true);
    m_lblPrivilege->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_lblPrivilege->hide();
}

QLabel* OptionsPage::AddLabel(const char* name, const QRect& geometry)
{
    auto* label = new QLabel(this);
    label->setObjectName(QLatin1StringView(name));
    label->setTextFormat(Qt::PlainText);
    label->setGeometry(geometry);
    return label;
}

} // namespace qb
