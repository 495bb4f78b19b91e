#pragma once
// The host form's store of saved control properties, one value per key.
#include <QVariantMap>

namespace qb {

using PropertyBag = QVariantMap;

} // namespace qb
