#include "controls/plain_text.h"

#include <QLabel>

namespace qb {

QString EscapeControlCharacters(const QString& text)
{
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t code = c.unicode();
        if (code < 0x20 || code == 0x7F || (code >= 0x80 && code < 0xA0) || code == 0x2028 ||
            code == 0x2029 || code == 0x202E)
            shown += "\\x" + QString::number(code, 16).toUpper().rightJustified(2, '0');
        else
            shown += c;
    }
    return shown;
}

void SetOutsideText(QLabel* label, const QString& prefix, const QString& outside)
{
    label->setTextFormat(Qt::PlainText);
    label->setText(prefix + EscapeControlCharacters(outside));
}

} // namespace qb
