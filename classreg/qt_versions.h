// What differs between the Qt versions the tool builds with (5.15, and 6.2 or newer).
#pragma once

#include <QString>
#include <QtGlobal>

#include <cstddef>
#include <limits>

static_assert(QT_VERSION >= QT_VERSION_CHECK(5, 15, 0), "Qt 5.15 or newer is needed");
static_assert(QT_VERSION < QT_VERSION_CHECK(6, 0, 0) || QT_VERSION >= QT_VERSION_CHECK(6, 2, 0),
              "Qt 6 must be 6.2 or newer");

namespace Quorl {

// The type of a QString's size and of the sizes its functions take: int in Qt 5, qsizetype in
// Qt 6.
using QtSize = decltype(QString().size());

// The longest 8-bit text the grammar puts in a QString: its buffer, two bytes a character and a
// header, must fit Qt's size type (an int in Qt 5, so about a gigabyte).
constexpr std::size_t maxQtText =
    static_cast<std::size_t>(std::numeric_limits<QtSize>::max() / 2 - 64);

} // namespace Quorl
