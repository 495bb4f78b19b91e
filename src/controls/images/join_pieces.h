#pragma once
// Long pictures are kept as several string pieces; every piece but the last ends with a comma.
#include <QString>

namespace qb::images {

// Concatenates up to `count` pieces in order, stopping early at the first null piece.
QString JoinPieces(const char* const* pieces, int count);

template <int N> QString JoinPieces(const char* const (&pieces)[N])
{
    return JoinPieces(pieces, N);
}

} // namespace qb::images
