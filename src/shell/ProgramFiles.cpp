#include "shell/ProgramFiles.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QStandardPaths>
#include <QStringList>

namespace lumeward::shell {

QString findBesideProgram(const QString& relativePath) {
    return findBesideProgram(relativePath, QCoreApplication::applicationDirPath());
}

QString findBesideProgram(const QString& relativePath, const QString& programFolder) {
    QStringList candidates{programFolder + QLatin1Char('/') + relativePath};
    // The user's data folder comes first in this list, then the system folders.
    const QStringList dataFolders =
        QStandardPaths::standardLocations(QStandardPaths::GenericDataLocation);
    for (const QString& folder : dataFolders) {
        candidates << folder + QStringLiteral("/lumeward/") + relativePath;
    }
    for (const QString& candidate : candidates) {
        if (QFileInfo::exists(candidate)) {
            return candidate;
        }
    }
    return {};
}

}  // namespace lumeward::shell
