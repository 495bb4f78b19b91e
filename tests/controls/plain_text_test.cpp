#include "controls/plain_text.h"

#include <gtest/gtest.h>

#include <QLabel>

namespace qb {
namespace {

TEST(PlainTextTest, ControlCharactersAreShownEscapedAndOtherTextAsItIs)
{
    EXPECT_EQ(EscapeControlCharacters("firefox"), "firefox");
    EXPECT_EQ(EscapeControlCharacters(QString("a\nb\x1b[31m")), "a\\x0Ab\\x1B[31m");
    EXPECT_EQ(EscapeControlCharacters(QString::fromUtf8("ev\u202Eil")), "ev\\x202Eil");
    EXPECT_EQ(EscapeControlCharacters(QString::fromUtf8("Grüße")), QString::fromUtf8("Grüße"));
}

TEST(PlainTextTest, OutsideTextInALabelIsNeverReadAsRichText)
{
    QLabel label;
    SetOutsideText(&label, "Path: ", "<b>/tmp/x</b>\n");
    EXPECT_EQ(label.textFormat(), Qt::PlainText);
    EXPECT_EQ(label.text(), "Path: <b>/tmp/x</b>\\x0A");
}

} // namespace
} // namespace qb
