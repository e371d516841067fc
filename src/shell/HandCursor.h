#pragma once

#include <QCursor>
#include <QString>

#include <optional>

namespace lumeward::shell {

// The pointer image of a cursor file (.CUR) with the hot spot the file names,
// or nothing when the file cannot be read as a cursor.
std::optional<QCursor> loadCursorFile(const QString& path);

}  // namespace lumeward::shell
