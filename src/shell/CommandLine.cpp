#include "shell/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <string_view>

namespace lumeward::shell {

bool asksForTextOnly(int argc, const char* const argv[]) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--") {
            return false;
        }
        if (argument == "-h" || argument == "--help" || argument == "-?" ||
            argument == "--help-all" || argument == "-v" || argument == "--version") {
            return true;
        }
    }
    return false;
}

QStringList parseCommandLine(const QCoreApplication& application) {
    QCommandLineParser parser;
    parser.setApplicationDescription(QCoreApplication::translate(
        "CommandLine",
        "Turns web feeds into files. Each FILE (feed addresses one per line, or an OPML feed "
        "list) is loaded into the address list and each ADDRESS (http, https or feed) added "
        "to it; a Lumeward already running takes them and comes to the front."));
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        QStringLiteral("FILE|ADDRESS"),
        QCoreApplication::translate("CommandLine", "Address files and feed addresses to add."),
        QStringLiteral("[FILE|ADDRESS]..."));
    parser.process(application);
    return parser.positionalArguments();
}

}  // namespace lumeward::shell
