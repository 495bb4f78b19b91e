#include "shell/frm_splash_window.h"

#include "controls/user_control3.h"
#include "shell/avi_player_widget.h"
#include "shell/program_folder.h"

#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>

namespace qb {
namespace {

constexpr int kMargin = 24;
constexpr int kClipSide = 60;

// Not modal: the sequence goes on behind the message, and the user still sees the progress lines.
void ShowCriticalMessage(const QString& title, const QString& text)
{
    auto* box = new QMessageBox(QMessageBox::Critical, title, text, QMessageBox::Ok);
    box->setTextFormat(Qt::PlainText);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->show();
}

QLabel* Caption(QWidget* parent, const QString& text, int pointSize, bool bold, const QColor& colour)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    QFont font = label->font();
    font.setPointSize(pointSize);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    return label;
}

} // namespace

FrmSplash::FrmSplash(QWidget* parent) : FrmSplash(*new TimerStepClock, parent)
{
    m_ownClock.reset(&m_clock);
}

FrmSplash::FrmSplash(StepClock& clock, QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint), m_clock(clock)
{
    ShowWarning = ShowCriticalMessage;
    AnimationFile = ProgramFolder() + QLatin1StringView("nacitavanie.avi");
    setWindowTitle(QStringLiteral("Personal Firewall"));
    setFixedSize(kWidth, kHeight);
    CreateControls();
}

FrmSplash::~FrmSplash()
{
    // The sequence cancels its pending call on the clock, so it goes first.
    m_sequence.reset();
}

void FrmSplash::CreateControls()
{
    m_userControl31 = new UserControl3(this);
    m_userControl31->setGeometry(0, 0, kWidth, kHeight);
    m_animation = new AviPlayerWidget(this);
    m_animation->setGeometry(kMargin, 48, kClipSide, kClipSide);
    m_animation->SetTransparent(true);
    m_title = Caption(this, QStringLiteral("Personal Firewall"), 20, true, QColor(40, 60, 100));
    m_title->setGeometry(kMargin + kClipSide + 20, 50, kWidth - kMargin * 2 - kClipSide - 20, 34);
    m_vendor = Caption(this, QStringLiteral("Quillbrook"), 12, false, QColor(78, 110, 160));
    m_vendor->setGeometry(kMargin + kClipSide + 22, 86, kWidth - kMargin * 2 - kClipSide - 22, 22);
    m_progress = Caption(this, QStringLiteral("Loading..."), 9, false, QColor(60, 60, 60));
    m_progress->setGeometry(kMargin, kHeight - 44, kWidth - kMargin * 2, 20);
}

void FrmSplash::LoadAmination()
{
    if (m_sequence)
        return;
    m_sequence = std::make_unique<LoadingSequence>(
        m_clock, Steps, [this](const QString& text) { SetProgress(text); },
        [this] {
            close();
            emit Finished();
        });
    m_sequence->Start();
    const QString written =
        BuildFileFromResource(AnimationFile, kSplashClipResource, QStringLiteral("AVI"), ShowWarning);
    if (!written.isEmpty() && QFileInfo::exists(written) && m_animation->Open(written))
        m_animation->Play();
}

QString FrmSplash::ProgressText() const
{
    return m_progress->text();
}

void FrmSplash::SetProgress(const QString& text)
{
    m_progress->setText(text);
    // Painted now: the step's work that follows may keep the event loop busy for a while.
    if (m_progress->isVisible())
        m_progress->repaint();
}

} // namespace qb
