// Caps and bodies: columns of flat colours and gradients, fixed by the catalogue's descriptions.
#include "image_generator/catalogue.h"
#include "image_generator/encoding.h"

namespace qb::tools {
namespace {

Picture Bar(const char* name, const char* comment, std::vector<Column> columns)
{
    return {QString::fromLatin1(name), QString::fromLatin1(comment), EncodeColumns(columns)};
}

int P(int r, int g, int b)
{
    return Pack(QColor(r, g, b));
}

// Header button: 23 rows released, 25 rows pressed.
void AddHeaderBars(CatalogueFile& file)
{
    const int grey131 = P(131, 131, 131);
    const Column edge = Repeat(grey131, 21) + Column{P(110, 110, 112), P(136, 137, 138)};
    const Column body = Column{grey131} + GradientColumn(QColor(252, 252, 249), QColor(201, 197, 151), 19) +
                        Column{grey131, P(75, 75, 76), P(110, 110, 112)};
    const int grey128 = P(128, 128, 128);
    const int frame = P(219, 222, 233);
    const Column outer = Repeat(grey128, 25);
    const Column light = Column{grey128} + Repeat(frame, 24);
    const Column inner = Column{grey128, frame} + Repeat(grey131, 21) + Column{frame, frame};
    const Column pressedBody = Column{grey128, frame, grey131} +
                               GradientColumn(QColor(253, 252, 240), QColor(216, 215, 203), 19) +
                               Column{grey131, frame, P(220, 223, 236)};
    file.singles.push_back(Bar("kUserControl1Edge", "header edge, 1 x 23", {edge}));
    file.singles.push_back(Bar("kUserControl1Body", "header body, 1 x 23", {body}));
    file.singles.push_back(
        Bar("kUserControl1PressedLeftCap", "pressed header left cap, 3 x 25", {outer, light, inner}));
    file.singles.push_back(
        Bar("kUserControl1PressedRightCap", "pressed header right cap, 3 x 25", {inner, light, outer}));
    file.singles.push_back(Bar("kUserControl1PressedBody", "pressed header body, 1 x 25", {pressedBody}));
}

// Toolbar: 37 rows, a blue-grey top line, a gold gradient and a dark foot.
void AddToolbarBars(CatalogueFile& file)
{
    const int top = P(119, 119, 146);
    const Column gradient = GradientColumn(QColor(255, 236, 159), QColor(226, 176, 1), 34);
    const Column foot{P(66, 66, 66), P(85, 85, 85)};
    const Column body = Column{top} + gradient + foot;
    const Column left = Column{top} + Repeat(P(255, 233, 146), 34) + foot;
    const Column right = Column{top} + Repeat(P(107, 57, 0), 35) + Column{P(85, 85, 85)};
    file.singles.push_back(Bar("kUserControl5LeftCap", "toolbar left cap, 3 x 37", {left, body, body}));
    file.singles.push_back(
        Bar("kUserControl5Body", "toolbar body, 1 x 37; also the prompt's header band", {body}));
    file.singles.push_back(Bar("kUserControl5RightEdge", "toolbar right edge, 1 x 37", {right}));
}

struct PushStyle {
    QColor frame;
    QColor corner; // the frame blended with a light background, for rounded corners
    QColor leftInner;
    QColor topInner;
    QColor fillTop;
    QColor fillBottom;
    QColor bottomInner;
    QColor rightInner;
};

// Push button set: left cap 3 x 24, body 1 x 24, right cap 2 x 24 (a flat set has a 2-column left cap).
void AddPushSet(CatalogueFile& file, const QString& prefix, const PushStyle& s, bool flat, bool withRightCap)
{
    const int frame = Pack(s.frame);
    const int corner = Pack(s.corner);
    const Column body = Column{frame, Pack(s.topInner)} + GradientColumn(s.fillTop, s.fillBottom, 20) +
                        Column{Pack(s.bottomInner), frame};
    const Column outerEdge = Column{corner} + Repeat(frame, 22) + Column{corner};
    const Column leftInner = Column{frame} + Repeat(Pack(s.leftInner), 22) + Column{frame};
    const Column rightInner = Column{frame} + Repeat(Pack(s.rightInner), 22) + Column{frame};
    std::vector<Column> left{outerEdge, leftInner};
    if (!flat)
        left.push_back(body);
    const QString base = QStringLiteral("kUserControl7") + prefix;
    file.singles.push_back({base + QStringLiteral("LeftCap"),
                            prefix.toLower() + QStringLiteral(" push button left cap"), EncodeColumns(left)});
    file.singles.push_back({base + QStringLiteral("Body"),
                            prefix.toLower() + QStringLiteral(" push button body"), EncodeColumns({body})});
    if (withRightCap) {
        file.singles.push_back({base + QStringLiteral("RightCap"),
                                prefix.toLower() + QStringLiteral(" push button right cap"),
                                EncodeColumns({rightInner, outerEdge})});
    }
}

void AddPushBars(CatalogueFile& file)
{
    const PushStyle normal{QColor(190, 190, 189), QColor(222, 222, 221), QColor(255, 255, 255),
                           QColor(255, 255, 255), QColor(250, 250, 249), QColor(221, 221, 217),
                           QColor(206, 206, 203), QColor(206, 206, 203)};
    const PushStyle highlighted{QColor(166, 166, 165), QColor(210, 210, 209), QColor(255, 255, 255),
                                QColor(255, 255, 255), QColor(253, 254, 255), QColor(219, 228, 241),
                                QColor(196, 207, 224), QColor(196, 207, 224)};
    // Pressed: the gradient turned over, shadow at the top and left; it shares the normal right cap.
    const PushStyle pressed{QColor(190, 190, 189), QColor(222, 222, 221), QColor(196, 196, 193),
                            QColor(196, 196, 193), QColor(214, 214, 210), QColor(247, 247, 246),
                            QColor(252, 252, 251), QColor(206, 206, 203)};
    const PushStyle disabled{QColor(192, 192, 192), QColor(218, 218, 218), QColor(226, 226, 224),
                             QColor(226, 226, 224), QColor(226, 226, 224), QColor(226, 226, 224),
                             QColor(226, 226, 224), QColor(226, 226, 224)};
    AddPushSet(file, QStringLiteral("Normal"), normal, false, true);
    AddPushSet(file, QStringLiteral("Highlighted"), highlighted, false, true);
    AddPushSet(file, QStringLiteral("Pressed"), pressed, false, false);
    AddPushSet(file, QStringLiteral("Disabled"), disabled, true, true);
}

} // namespace

CatalogueFile ButtonBars()
{
    CatalogueFile file{QStringLiteral("picture_catalogue_bars.cpp"), {}, {}};
    AddHeaderBars(file);
    AddToolbarBars(file);
    AddPushBars(file);
    return file;
}

} // namespace qb::tools
