// What differs between the Qt versions the tool builds with (5.15, and 6.2 or newer).
#pragma once

#include <QString>
#include <QtGlobal>

static_assert(QT_VERSION >= QT_VERSION_CHECK(5, 15, 0), "Qt 5.15 or newer is needed");
static_assert(QT_VERSION < QT_VERSION_CHECK(6, 0, 0) || QT_VERSION >= QT_VERSION_CHECK(6, 2, 0),
              "Qt 6 must be 6.2 or newer");

namespace Quorl {

// The type of a QString's size and of the sizes its functions take: int in Qt 5, qsizetype in
// Qt 6.
using QtSize = decltype(QString().size());

} // namespace Quorl
