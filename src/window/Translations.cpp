#include "window/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace lumeward::window {

namespace {

constexpr char kFolder[] = ":/i18n";

}  // namespace

Translations::Translations(const QLocale& locale) {
    // The English file holds only the plural forms ("1 item"); the source texts are English.
    if (!m_window.load(locale, QStringLiteral("lumeward"), QStringLiteral("_"),
                       QString::fromLatin1(kFolder)) &&
        !m_window.load(QStringLiteral("lumeward_en"), QString::fromLatin1(kFolder))) {
        qWarning("The window's translations are missing from %s", kFolder);
    }
    QCoreApplication::installTranslator(&m_window);
    if (m_qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                  QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&m_qt);
    }
}

}  // namespace lumeward::window
