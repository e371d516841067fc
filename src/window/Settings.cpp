#include "window/Settings.h"

#include <QSettings>
#include <QStandardPaths>

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
    return store.status() != QSettings::AccessError;
}

}  // namespace lumeward::window
