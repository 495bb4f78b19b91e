#include "controls/colour_steps.h"

#include "controls/draw_caption.h"

#include <algorithm>

namespace qb {

ColourComponents AnalyzeColour(qint32& colour)
{
    ColourComponents components;
    components.blue = std::max(colour / 65536, 0);
    colour %= 65536;
    components.green = std::max(colour / 256, 0);
    colour %= 256;
    components.red = std::max(colour / 1, 0);
    colour %= 1;
    return components;
}

void AdvanceColour(ColourComponents& running, const ColourComponents& delta, double steps)
{
    running.red = std::max(running.red + delta.red / steps, 0.0);
    running.green = std::max(running.green + delta.green / steps, 0.0);
    running.blue = std::max(running.blue + delta.blue / steps, 0.0);
}

qint32 PackComponents(const ColourComponents& components)
{
    const auto limit = [](double value) { return std::min(RoundHalfEven(value), 255); };
    return limit(components.red) + 256 * limit(components.green) + 65536 * limit(components.blue);
}

} // namespace qb
