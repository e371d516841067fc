#pragma once

#include <QLocale>
#include <QTranslator>

namespace lumeward::window {

// While it lives, the application speaks the language of `locale` where a
// translation of the window exists (compiled in, under ":/i18n"), English
// otherwise; Qt's own dialogs follow where Qt's translations are installed.
class Translations {
public:
    explicit Translations(const QLocale& locale);
    Translations(const Translations&) = delete;
    Translations& operator=(const Translations&) = delete;

private:
    // A translator leaves the application as it is destroyed.
    QTranslator m_window;
    QTranslator m_qt;
};

}  // namespace lumeward::window
