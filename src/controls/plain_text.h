#pragma once
// Text from outside the program (paths, file names, host names, interface names) as it is shown:
// control characters escaped, so a crafted name cannot break lines or hide what follows it. Labels that
// show such text use Qt::PlainText, never rich-text guessing.
#include <QString>

class QLabel;

namespace qb {

// "\x1B" for ESC, "\n" stays visible as "\x0A", and so on for every control character.
QString EscapeControlCharacters(const QString& text);
// Sets `label` to plain-text format and shows `prefix` + the escaped `outside` text.
void SetOutsideText(QLabel* label, const QString& prefix, const QString& outside);

} // namespace qb
