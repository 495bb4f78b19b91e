#include "control/frm_attempt_window.h"

#include "base/host_names.h"
#include "base/program_icons_gui.h"
#include "controls/image_string.h"
#include "controls/images/given_images.h"
#include "controls/plain_text.h"
#include "controls/user_control7.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QLabel>
#include <QPainter>

namespace qb {
namespace {

constexpr int kMargin = 12;
constexpr int kIconSize = 32;
constexpr int kLineTop = 96;
constexpr int kLineStep = 20;

} // namespace

frmAttempt::frmAttempt(const AttemptServices& services)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint),
      m_prompt(services.access, services.table, services.source, services.rules), m_iphDNS(services.iphDNS),
      m_icons(services.icons), m_band(QLatin1StringView(images::kPromptBand))
{
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Warning!"));
    setFixedSize(kSize);

    // Two headings on the band: a light copy one pixel down and right lifts the dark one.
    QLabel* shadow = AddLabel(QStringLiteral("Warning!"), QPoint(kMargin + 1, 9), true);
    shadow->setStyleSheet(QStringLiteral("color: white"));
    AddLabel(QStringLiteral("Warning!"), QPoint(kMargin, 8), true);

    m_picIcon = new QLabel(this);
    m_picIcon->setGeometry(kMargin, 48, kIconSize, kIconSize);
    AddLabel(QStringLiteral("Warning! An unknown program is tryng to connect."),
             QPoint(kMargin + kIconSize + 10, 56), true);
    for (int i = 0; i < 5; ++i) {
        m_lines[i] = AddLabel(QString(), QPoint(kMargin, kLineTop + i * kLineStep));
        m_lines[i]->setFixedSize(width() - 2 * kMargin, kLineStep - 2);
    }

    AddLabel(QStringLiteral("Please select an action:"), QPoint(kMargin, 206));
    m_cboAction = new QComboBox(this);
    m_cboAction->setGeometry(kMargin, 226, 250, 24);
    m_cboAction->addItems(AttemptPrompt::ActionTexts());
    // Nothing is chosen until the user picks; the box reads as the action that then applies.
    m_cboAction->setPlaceholderText(AttemptPrompt::ActionTexts().front());
    m_cboAction->setCurrentIndex(-1);

    m_userControl71 = new UserControl7(this);
    m_userControl71->SetCaption(QStringLiteral("Ok"));
    m_userControl71->setGeometry(width() - kMargin - 90, height() - kMargin - 24, 90, 24);
    connect(m_userControl71, &UserControl7::Click, this, &frmAttempt::Ok);
    m_userControl71->SubClassMe();

    connect(&m_iphDNS, &HostNames::HostNameResolved, this,
            [this](const QString& address, const QString& name) {
                if (address == m_prompt.RemoteAddress() && m_prompt.IntConnection() >= 0)
                    ShowHostName(name);
            });
    connect(&m_icons, &ProgramIcons::IconReady, this, [this](const QString& path) {
        if (path == QString::fromStdString(m_prompt.ProgramPath()))
            ShowIcon();
    });
}

frmAttempt::~frmAttempt()
{
    // A prompt that goes away unanswered must not leave its program frozen.
    m_prompt.Close();
}

QLabel* frmAttempt::AddLabel(const QString& text, QPoint at, bool bold)
{
    auto* label = new QLabel(this);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    if (bold) {
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
    }
    label->move(at);
    label->adjustSize();
    return label;
}

void frmAttempt::ShowInfo(const std::string& programPath, int16_t intConnection)
{
    m_prompt.ShowInfo(programPath, intConnection);
    const QString path = QString::fromStdString(programPath);
    SetOutsideText(m_lines[0], QStringLiteral("Program: "), m_prompt.ProgramName());
    SetOutsideText(m_lines[1], QStringLiteral("Path: "), path);
    m_lines[2]->setText(QStringLiteral("Local Port: ") + m_prompt.LocalPort());
    m_lines[3]->setText(QStringLiteral("Remote Port: ") + m_prompt.RemotePort());
    // The cache answers at once; a name it does not hold yet arrives through HostNameResolved.
    ShowHostName(m_iphDNS.CheckDictionary(m_prompt.RemoteAddress()));
    ShowIcon();
    // Shown on top of every ordinary window by its stays-on-top flag; no raise needed.
    show();
}

void frmAttempt::ShowHostName(const QString& name)
{
    SetOutsideText(m_lines[4], QStringLiteral("Remote Host: "),
                   m_prompt.RemoteAddress() + QStringLiteral(" (") + name + QStringLiteral(")"));
}

void frmAttempt::ShowIcon()
{
    const QString path = QString::fromStdString(m_prompt.ProgramPath());
    if (path.isEmpty()) {
        m_picIcon->clear();
        return;
    }
    m_picIcon->setPixmap(m_icons.Icon(path, kIconSize));
}

void frmAttempt::Ok()
{
    if (m_prompt.Ended())
        return;
    m_prompt.Ok(AttemptPrompt::ActionAt(m_cboAction->currentIndex()));
    m_userControl71->UnSubClassMe();
    close();
}

QStringList frmAttempt::DetailLines() const
{
    QStringList lines;
    for (const QLabel* line : m_lines)
        lines << line->text();
    return lines;
}

void frmAttempt::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    // The band is one column wide: every pixel becomes a run across the whole window.
    DrawImageString(painter, static_cast<qint16>(width()), m_band, 0, 0);
}

void frmAttempt::closeEvent(QCloseEvent* event)
{
    m_userControl71->UnSubClassMe();
    m_prompt.Close();
    event->accept();
}

} // namespace qb
