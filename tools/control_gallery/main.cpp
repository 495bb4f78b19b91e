// Renders every drawn control in each of its states, and every catalogue picture at 1:1, into one PNG.
// Usage: control_gallery <output.png> [zoom]   (run on the offscreen platform; zoom enlarges for checking)
#include "control_gallery/sheet.h"
#include "controls/con_status.h"
#include "controls/image_string.h"
#include "controls/images/given_images.h"
#include "controls/images/join_pieces.h"
#include "controls/picture_box.h"
#include "controls/status.h"
#include "controls/user_control1.h"
#include "controls/user_control2.h"
#include "controls/user_control3.h"
#include "controls/user_control4.h"
#include "controls/user_control5.h"
#include "controls/user_control6.h"
#include "controls/user_control7.h"

#include <QApplication>
#include <QEnterEvent>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>

#include <cstdio>
#include <cstdlib>

using namespace qb;
using qb::tools::Sheet;

namespace {

constexpr qint32 kNavigationBlue = 15836238;

// Pointer input delivered straight to a widget, as the window system would.
void Hover(QWidget* target)
{
    const QPointF inside(target->width() / 2.0, target->height() / 2.0);
    QEnterEvent enter(inside, inside, target->mapToGlobal(inside));
    QApplication::sendEvent(target, &enter);
    QMouseEvent move(QEvent::MouseMove, inside, target->mapToGlobal(inside), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(target, &move);
}

void Press(QWidget* target)
{
    const QPointF inside(target->width() / 2.0, target->height() / 2.0);
    QMouseEvent press(QEvent::MouseButtonPress, inside, target->mapToGlobal(inside), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
}

void Click(QWidget* target)
{
    Press(target);
    const QPointF inside(target->width() / 2.0, target->height() / 2.0);
    QMouseEvent release(QEvent::MouseButtonRelease, inside, target->mapToGlobal(inside), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

UserControl1* Header(const QString& caption)
{
    auto* header = new UserControl1;
    header->SetCaption(caption);
    header->resize(170, header->height());
    header->SubClassMe();
    return header;
}

UserControl7* PushButton(const QString& caption, bool enabled, int width = 90)
{
    auto* button = new UserControl7;
    button->resize(width, button->height());
    button->SetCaption(caption);
    button->SetEnabled(enabled);
    button->SubClassMe();
    return button;
}

// A blue navigation column with the "Firewall" section open on "Options" and the "Help" section closed.
QWidget* NavigationColumn()
{
    auto* column = new PictureBox;
    column->resize(206, 190);
    column->SetBackColor(kNavigationBlue);
    auto* firewall = Header(QStringLiteral("Firewall"));
    firewall->setParent(column);
    firewall->move(8, 8);
    auto* strip = new UserControl4(column);
    for (const char* entry : {"Data transfer", "Options", "Applications", "Monitoring"})
        strip->AddButton(QString::fromLatin1(entry));
    strip->setGeometry(firewall->x(), firewall->y() + firewall->height(), firewall->width(), 10);
    strip->ShowMe();
    auto* help = Header(QStringLiteral("Help"));
    help->setParent(column);
    help->move(8, strip->y() + strip->height() + 5);
    return column;
}

// The "Help" section open, nothing chosen.
QWidget* HelpColumn()
{
    auto* column = new PictureBox;
    column->resize(206, 110);
    column->SetBackColor(kNavigationBlue);
    auto* help = Header(QStringLiteral("Help"));
    help->setParent(column);
    help->move(8, 8);
    auto* strip = new UserControl4(column);
    for (const char* entry : {"Help topics", "Visit homepage", "About"})
        strip->AddButton(QString::fromLatin1(entry));
    strip->setGeometry(help->x(), help->y() + help->height(), help->width(), 10);
    strip->ShowMe();
    help->ForceClick();
    return column;
}

// Opens the column's first section and chooses its second entry with the pointer.
void ChooseInNavigation(QWidget* column)
{
    auto* firewall = column->findChildren<UserControl1*>().front();
    auto* help = column->findChildren<UserControl1*>().back();
    auto* strip = column->findChild<UserControl4*>();
    firewall->ForceClick();
    help->Reset();
    Hover(strip->Picture2(2));
    Click(strip->Picture2(2));
}

QWidget* PictureOf(const QString& text, int stretch = 1, QColor back = QColor(240, 240, 240))
{
    auto* box = new PictureBox;
    const QSize size = ImageStringSize(text);
    box->resize(size.width() - 1 + stretch, size.height());
    box->SetBackColor(PackColor(back));
    box->DrawImageString(static_cast<qint16>(stretch), text, 0, 0);
    return box;
}

// The tray icon as its builder draws it: the padlock at (3, 1) inside a light grey frame.
QWidget* TrayIcon()
{
    auto* box = new PictureBox;
    box->resize(16, 16);
    box->SetBackColor(PackColor(QColor(240, 240, 240)));
    box->DrawImageString(1, QLatin1StringView(images::kTrayPadlock), 3, 1);
    const int w = 16;
    const int h = 16;
    box->Line(QPoint(0, 0), QPoint(w, 0), 12632256);
    box->Line(QPoint(w - 1, 0), QPoint(w - 1, h), 12632256);
    box->Line(QPoint(0, 0), QPoint(0, h), 12632256);
    box->Line(QPoint(0, h - 1), QPoint(w, h - 1), 12632256);
    return box;
}

void AddButtons(Sheet& sheet)
{
    sheet.Section(QStringLiteral("Header buttons (UserControl1) and menu strip (UserControl4)"));
    ChooseInNavigation(
        sheet.Place(NavigationColumn(), QStringLiteral("open section, entry chosen with the pointer")));
    auto* helpColumn = sheet.Place(HelpColumn(), QStringLiteral("pointer over an entry"));
    Hover(helpColumn->findChild<UserControl4*>()->Picture2(2));
    sheet.Place(Header(QStringLiteral("Help")), QStringLiteral("released"));
    auto* hovered = sheet.Place(Header(QStringLiteral("Help")), QStringLiteral("released, pointer over"));
    auto* pressed = sheet.Place(Header(QStringLiteral("Firewall")), QStringLiteral("pressed (open)"));
    auto* held = sheet.Place(Header(QStringLiteral("Firewall")), QStringLiteral("held down"));
    Hover(hovered->Picture1());
    pressed->ForceClick();
    Press(held->Picture1());

    sheet.Section(QStringLiteral("Toolbar (UserControl6 of UserControl5)"));
    auto* toolbar =
        sheet.Place(new UserControl6, QStringLiteral("\"Live Update\" chosen, pointer over \"Block all\""));
    toolbar->SubClassMe();
    Click(toolbar->Button(2)->Picture1());
    Hover(toolbar->Button(1)->Picture1());
    auto* questions = new UserControl5;
    questions->SetCaption(QStringLiteral("Help"));
    questions->SetIcon(4);
    sheet.Place(questions, QStringLiteral("picture 4, pointer over"));
    questions->SubClassMe();
    Hover(questions->Picture1());
    auto* plain = new UserControl5;
    plain->SetCaption(QStringLiteral("No picture"));
    plain->SetIcon(0);
    sheet.Place(plain, QStringLiteral("picture 0 (none)"));

    sheet.Section(QStringLiteral("Push buttons (UserControl7)"));
    sheet.Place(PushButton(QStringLiteral("Block"), true), QStringLiteral("normal"));
    auto* over = sheet.Place(PushButton(QStringLiteral("Allow"), true), QStringLiteral("pointer over"));

    Hover(over->Picture1());
    auto* down = sheet.Place(PushButton(QStringLiteral("Delete"), true), QStringLiteral("pressed"));

    Press(down->Picture1());
    auto* off =
        sheet.Place(PushButton(QStringLiteral("Zatvor pripojenie"), false, 130), QStringLiteral("disabled"));

    Hover(off->Picture1());
    sheet.Place(PushButton(QStringLiteral("Zatvor program"), false, 130), QStringLiteral("disabled"));
    sheet.Place(PushButton(QStringLiteral("Ok"), true, 70), QStringLiteral("prompt's button"));
}

void AddPanels(Sheet& sheet)
{
    sheet.Section(QStringLiteral("Page banner (UserControl2) and background (UserControl3)"));
    auto* banner = new UserControl2;
    banner->resize(360, 90);
    sheet.Place(banner, QStringLiteral("banner after Gradient (78, 164, 241)"));
    banner->Gradient(kNavigationBlue);
    auto* rules = new UserControl2;
    rules->resize(200, 90);
    sheet.Place(rules, QStringLiteral("banner rules only"));
    auto* splash = new UserControl3;
    splash->resize(150, 90);
    sheet.Place(splash, QStringLiteral("splash background"));

    sheet.Section(QStringLiteral("Activity (ConStatus) and status lights (Status)"));
    const char* activity[] = {"0 both lit", "1 both dark", "2 rear lit", "3 front lit", "7 (cleared)"};
    const qint16 states[] = {0, 1, 2, 3, 7};
    for (int i = 0; i < 5; ++i) {
        sheet.Place(new ConStatus, QString::fromLatin1(activity[i]))->SetStatus(states[i]);
    }
    const char* lights[] = {"0 off", "1 on", "2"};
    for (qint16 state = 0; state < 3; ++state) {
        sheet.Place(new Status, QString::fromLatin1(lights[state]))->SetStatus(state);
    }
}

void AddPictures(Sheet& sheet)
{
    sheet.Section(QStringLiteral("Pictures at 1:1"));
    for (int i = 0; i < 4; ++i) {
        const QString normal = images::JoinPieces(images::kUserControl5Pictures[i]);
        const QString light = images::JoinPieces(images::kUserControl5HighlightedPictures[i]);
        sheet.Place(PictureOf(normal, 1, QColor(255, 220, 110)), QStringLiteral("%1").arg(i + 1));
        sheet.Place(PictureOf(light, 1, QColor(255, 220, 110)), QStringLiteral("%1 lit").arg(i + 1));
    }
    sheet.Place(TrayIcon(), QStringLiteral("tray"));
    sheet.Place(PictureOf(QLatin1StringView(images::kPicQuestion), 1, Qt::white), QStringLiteral("unknown"));
    sheet.Place(PictureOf(QLatin1StringView(images::kPicture3)), QStringLiteral("attempts"));
    sheet.Place(PictureOf(QLatin1StringView(images::kBannerImage1), 1, Qt::white), QStringLiteral("banner"));
    sheet.Place(PictureOf(QLatin1StringView(images::kPromptBand), 200), QStringLiteral("prompt band"));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <output.png> [zoom]\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const int zoom = argc > 2 ? std::max(1, std::atoi(argv[2])) : 1;
    Sheet sheet(820);
    sheet.show();
    AddButtons(sheet);
    AddPanels(sheet);
    AddPictures(sheet);
    sheet.resize(sheet.width(), sheet.UsedHeight());
    QImage shot = sheet.grab().toImage();
    if (zoom > 1)
        shot = shot.scaled(shot.size() * zoom, Qt::IgnoreAspectRatio, Qt::FastTransformation);
    if (!shot.save(QString::fromLocal8Bit(argv[1]), "PNG")) {
        std::fprintf(stderr, "could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
