#pragma once

#include <QStringList>

class QCoreApplication;

namespace lumeward::shell {

// Whether the command line asks only for text (--help, --help-all, --version),
// which needs no display; arguments after "--" are files or addresses.
bool asksForTextOnly(int argc, const char* const argv[]);

// Reads the command line of `lumeward`: --help and --version print their text
// and end the program, an unknown option ends it with a message and status 1.
// What remains are the files and addresses to open.
QStringList parseCommandLine(const QCoreApplication& application);

}  // namespace lumeward::shell
