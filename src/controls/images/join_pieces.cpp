#include "controls/images/join_pieces.h"

namespace qb::images {

QString JoinPieces(const char* const* pieces, int count)
{
    QString joined;
    for (int i = 0; i < count && pieces[i] != nullptr; ++i)
        joined += QLatin1StringView(pieces[i]);
    return joined;
}

} // namespace qb::images
