#pragma once

#include <QString>

namespace lumeward::shell {

// Where an optional file "beside the program" is found: the program's folder
// first, then the user's data folder (~/.local/share/lumeward), then each system
// data folder ($XDG_DATA_DIRS/lumeward). The first place that has it wins; an
// empty string when none has. relativePath uses "/" ("x/o.cjs", "Splash").
QString findBesideProgram(const QString& relativePath);
// The same with the program folder given, for tests.
QString findBesideProgram(const QString& relativePath, const QString& programFolder);

}  // namespace lumeward::shell
