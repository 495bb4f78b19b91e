#pragma once
// Text from outside the program (paths, file names, host names, interface names) as it is shown:
// control characters and invisible ones escaped, so a crafted name can neither break lines, hide or
// reorder what follows it, nor look like another name. Labels that show such text use Qt::PlainText,
// never rich-text guessing.
#include <QString>

class QLabel;

namespace qb {

// "\x1B" for ESC, "\n" stays visible as "\x0A", "\x202E" for a right-to-left override: every control,
// format (direction marks, zero widths, BOM, tags) and separator character but " ", lone surrogates,
// fillers and variation selectors, by code point.
QString EscapeControlCharacters(const QString& text);
// Sets `label` to plain-text format and shows `prefix` + the escaped `outside` text.
void SetOutsideText(QLabel* label, const QString& prefix, const QString& outside);

} // namespace qb
