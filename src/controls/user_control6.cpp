#include "controls/user_control6.h"

#include "controls/images/picture_catalogue.h"
#include "controls/user_control5.h"

#include <QPointer>

namespace qb {
namespace {

constexpr int kButtonWidth = 112;
constexpr int kButtonGap = 2;
constexpr int kHeight = 37;

} // namespace

UserControl6::UserControl6(QWidget* parent) : PictureBox(parent)
{
    const char* captions[3] = {"Block all", "Live Update", "Options"};
    for (int k = 1; k <= 3; ++k) {
        auto* button = new UserControl5(this);
        button->setObjectName(QStringLiteral("UserControl5%1").arg(k));
        button->SetCaption(QString::fromLatin1(captions[k - 1]));
        button->SetIcon(static_cast<qint16>(k));
        button->setGeometry(kButtonGap + (k - 1) * (kButtonWidth + kButtonGap), 0, kButtonWidth, kHeight);
        connect(button, &UserControl5::Click, this, [this, k] { OnButtonClick(k); });
        m_buttons[k - 1] = button;
    }
    resize(kButtonGap + 3 * (kButtonWidth + kButtonGap), kHeight);
}

void UserControl6::SubClassMe()
{
    for (auto* button : m_buttons)
        button->SubClassMe();
}

void UserControl6::UnSubClassMe()
{
    for (auto* button : m_buttons)
        button->UnSubClassMe();
}

void UserControl6::showEvent(QShowEvent* event)
{
    PictureBox::showEvent(event);
    DrawImageString(static_cast<qint16>(width()), QLatin1StringView(images::kUserControl5Body), 0, 0);
}

void UserControl6::OnButtonClick(int k)
{
    const QPointer<UserControl6> self(this);
    emit ButtonClick(static_cast<qint16>(k));
    if (!self)
        return; // the host closed the toolbar from its handler
    for (int other = 1; other <= 3; ++other) {
        if (other != k)
            m_buttons[other - 1]->Reset();
    }
}

} // namespace qb
