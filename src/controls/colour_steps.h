#pragma once
// Colour arithmetic shared by the gradient panels.
#include <QtGlobal>

namespace qb {

// Real-valued colour components.
struct ColourComponents {
    double red = 0;
    double green = 0;
    double blue = 0;
};

// Splits a packed colour into components by integer division, negative components becoming 0, and
// leaves `colour` at 0, as the remainders run out.
ColourComponents AnalyzeColour(qint32& colour);

// Moves `running` one step of `delta / steps` and sets components that fell below 0 to 0.
void AdvanceColour(ColourComponents& running, const ColourComponents& delta, double steps);

// Packs components rounded to the nearest integer (halves to even) and limited to 255.
qint32 PackComponents(const ColourComponents& components);

} // namespace qb
