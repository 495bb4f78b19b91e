#include "controls/plain_text.h"

#include <QLabel>
#include <QStringView>

namespace qb {
namespace {

// Code points that draw nothing, or change how their neighbours are drawn, without being format
// characters: fillers, variation selectors, the grapheme joiner and the Khmer inherent vowels.
bool IsInvisible(char32_t code)
{
    return code == 0x034F || code == 0x115F || code == 0x1160 || code == 0x17B4 || code == 0x17B5 ||
           (code >= 0x180B && code <= 0x180F) || code == 0x3164 || (code >= 0xFE00 && code <= 0xFE0F) ||
           code == 0xFFA0 || (code >= 0xE0100 && code <= 0xE01EF);
}

bool NeedsEscape(char32_t code)
{
    switch (QChar::category(code)) {
    case QChar::Other_Control:   // C0, DEL, C1
    case QChar::Other_Format:    // direction marks and overrides, zero widths, BOM, tags, …
    case QChar::Other_Surrogate: // half a pair, which no font draws
    case QChar::Separator_Line:
    case QChar::Separator_Paragraph:
        return true;
    case QChar::Separator_Space: // no-break and other blanks that look like " "
        return code != u' ';
    default:
        return IsInvisible(code);
    }
}

} // namespace

QString EscapeControlCharacters(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t code = text[i].unicode();
        const bool pair = QChar::isHighSurrogate(code) && i + 1 < text.size() && text[i + 1].isLowSurrogate();
        if (pair)
            code = QChar::surrogateToUcs4(text[i], text[i + 1]);
        if (NeedsEscape(code))
            shown += "\\x" + QString::number(code, 16).toUpper().rightJustified(2, '0');
        else
            shown += QStringView(text).mid(i, pair ? 2 : 1);
        i += pair ? 1 : 0;
    }
    return shown;
}

void SetOutsideText(QLabel* label, const QString& prefix, const QString& outside)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(prefix + EscapeControlCharacters(outside));
}

} // namespace qb
