#include "window/Settings.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

#include <cerrno>
#include <system_error>

#include "workflows/FileExists.h"

namespace lumeward::window {

namespace {

// Opened per call, so the file is read fresh and written back at once.
QString storePath(const QString& application) {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + '/' +
           application + QStringLiteral(".ini");
}

QString keyPath(const QString& section, const QString& key) {
    return section + '/' + key;
}

struct SaveFailureReport {
    std::function<void(const QString&, const QString&)> report;
    bool told = false;
};

SaveFailureReport& saveFailureReport() {
    static SaveFailureReport instance;
    return instance;
}

// The store is written as a new file beside the old one and renamed over it, so
// the folder must take new files and the old file must not be a folder.
QString failureReason(const QString& path) {
    int error = workflows::folderCreateError(QFileInfo(path).absolutePath().toStdString());
    if (error == 0 && QFileInfo(path).isDir()) {
        error = EISDIR;
    }
    return error != 0 ? QString::fromStdString(std::generic_category().message(error))
                      : QCoreApplication::translate("Settings", "the file could not be written");
}

}  // namespace

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue) {
    const QSettings store(storePath(application), QSettings::IniFormat);
    return store.value(keyPath(section, key), defaultValue).toString();
}

bool SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value) {
    QSettings store(storePath(application), QSettings::IniFormat);
    store.setValue(keyPath(section, key), value);
    store.sync();
    // A damaged file still takes the value (rewritten whole), so only a failed write counts.
    if (store.status() != QSettings::AccessError) {
        return true;
    }
    SaveFailureReport& failure = saveFailureReport();
    if (failure.report && !failure.told) {
        failure.told = true;
        failure.report(store.fileName(), failureReason(store.fileName()));
    }
    return false;
}

void setSaveFailureReport(std::function<void(const QString& path, const QString& reason)> report) {
    saveFailureReport() = {std::move(report), false};
}

}  // namespace lumeward::window
