#pragma once

#include <QString>

#include <functional>

namespace lumeward::window {

// The per-user settings store: text values addressed by application, section
// and key, kept in "<application>.ini" in the user's configuration folder
// ($XDG_CONFIG_HOME, else ~/.config). A key never written, or one a damaged or
// unreadable store no longer holds, yields the default.
QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue);
// Returns false when the store could not be written, so the value is lost.
bool SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);

// Who hears of a failed save: report gets the store's path and the reason, for
// the first failure after this call only, so a user is told once, not at every
// keystroke.
void setSaveFailureReport(std::function<void(const QString& path, const QString& reason)> report);

}  // namespace lumeward::window
