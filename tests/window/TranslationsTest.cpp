// The window in each of its languages: captions that fit their controls,
// mnemonics that stay unique, and a read's Status in the user's words.
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>

#include <gtest/gtest.h>

#include "feed/Component.h"
#include "feed/ReadFailures.h"
#include "support/ScriptedDialogs.h"
#include "window/Form1.h"
#include "window/ListView.h"
#include "window/StatusText.h"
#include "window/Translations.h"

namespace lumeward::window {
namespace {

using workflows::FeedStatus;

const char* const kLanguages[] = {"en", "de", "fr"};

// The start button's other caption, shown while a run is under way.
QString stopCaption() {
    return QCoreApplication::translate("lumeward::window::Form1", "&Stop Retrieving Data");
}

struct Caption {
    QString text;
    QWidget* control;
};

std::vector<Caption> captionsOf(const Form1& form) {
    std::vector<Caption> captions;
    for (QPushButton* button : {form.PushButton1(), form.PushButton6(), form.PushButton2(),
                                form.PushButton4(), form.PushButton5(), form.PushButton3()}) {
        captions.push_back({button->text(), button});
    }
    captions.push_back({stopCaption(), form.PushButton2()});
    captions.push_back({form.Frame1()->title(), form.Frame1()});
    return captions;
}

TEST(Translations, EveryCaptionFitsItsControlInEveryLanguage) {
    for (const char* language : kLanguages) {
        SCOPED_TRACE(language);
        const Translations translations{QLocale(QString::fromLatin1(language))};
        ASSERT_EQ(translations.language(), QString::fromLatin1(language));
        test::ScriptedDialogs dialogs;
        Form1 form(dialogs);
        form.Form_Load();
        form.show();
        ListView& addresses = *form.ListView1();
        const QString items = statusText({{}, {}, FeedStatus::Kind::Items, 99}).summary;
        EXPECT_LT(addresses.fontMetrics().horizontalAdvance(items),
                  addresses.horizontalHeader()->sectionSize(1));
        EXPECT_EQ(addresses.columnWidthTwips(1) + addresses.columnWidthTwips(2), 6400)
            << "the two columns share the list's width";
        for (const auto& [text, control] : captionsOf(form)) {
            SCOPED_TRACE(text.toStdString());
            // A button's bevel takes its margin on either side; a frame's title its indent.
            const int margins = 2 * control->style()->pixelMetric(QStyle::PM_ButtonMargin);
            const QString shown = QString(text).remove(u'&');
            EXPECT_LE(control->fontMetrics().horizontalAdvance(shown) + margins, control->width());
        }
    }
}

// Alt+letter of a caption; none for a caption without one.
QChar mnemonicOf(const QString& caption) {
    const qsizetype at = caption.indexOf(u'&');
    return at >= 0 && at + 1 < caption.size() ? caption[at + 1].toLower() : QChar();
}

TEST(Translations, EveryControlKeepsItsOwnMnemonicInEveryLanguage) {
    for (const char* language : kLanguages) {
        SCOPED_TRACE(language);
        const Translations translations{QLocale(QString::fromLatin1(language))};
        test::ScriptedDialogs dialogs;
        const Form1 form(dialogs);
        // The browse button's key is a shortcut: its caption "..." has no letter.
        const QString browse = form.PushButton8()->shortcut().toString();
        ASSERT_TRUE(browse.startsWith(u"Alt+")) << browse.toStdString();
        ASSERT_TRUE(form.PushButton8()->toolTip().contains(browse));
        // Start and Stop are one button: either caption may stand beside the others.
        for (const QString& startOrStop : {form.PushButton2()->text(), stopCaption()}) {
            std::map<QChar, QString> taken{{browse.back().toLower(), browse}};
            for (const auto& [text, control] : captionsOf(form)) {
                const QString caption = control == form.PushButton2() ? startOrStop : text;
                const QChar key = mnemonicOf(caption);
                ASSERT_FALSE(key.isNull()) << caption.toStdString();
                const auto [holder, added] = taken.emplace(key, caption);
                EXPECT_TRUE(added || holder->second == caption)
                    << caption.toStdString() << " and " << holder->second.toStdString();
            }
        }
        if (QString::fromLatin1(language) != u"en") {
            EXPECT_NE(form.PushButton1()->text(), "&Add RSS Feed URL") << "not translated";
        }
    }
}

TEST(Translations, StatusSpeaksTheUsersLanguage) {
    using enum FeedStatus::Kind;
    const struct {
        const char* language;
        FeedStatus status;
        const char* summary;
        const char* detail;
    } cases[] = {
        {"en", {"1 item", "", Items, 1}, "1 item", ""},
        {"en", {"20 items", "", Items, 20}, "20 items", ""},
        {"de", {"1 item", "", Items, 1}, "1 Eintrag", ""},
        {"de", {"0 items", "", Items, 0}, "0 Einträge", ""},
        {"fr", {"0 items", "", Items, 0}, "0 élément", ""},
        {"fr", {"2 items", "", Items, 2}, "2 éléments", ""},
        {"de",
         {"Not read", "The run was stopped before this address was read.", NotRead},
         "Nicht gelesen",
         "Der Abruf wurde angehalten, bevor diese Adresse gelesen wurde."},
        {"fr",
         {"HTTP 404 Not Found", "HTTP 404 Not Found", ServerAnswer},
         "HTTP 404 Not Found",
         "HTTP 404 Not Found"},
        {"de",
         {"Not a feed", "Not an RSS, RDF or Atom feed", Failure},
         "Kein Feed",
         "Kein RSS-, RDF- oder Atom-Feed"},
        {"fr",
         {"Could not connect", "Failed to connect to 127.0.0.1 port 9", Failure},
         "Connexion impossible",
         "Failed to connect to 127.0.0.1 port 9"},
    };
    for (const auto& [language, status, summary, detail] : cases) {
        SCOPED_TRACE(std::string(language) + " " + status.summary);
        const Translations translations{QLocale(QString::fromLatin1(language))};
        const StatusText text = statusText(status);
        EXPECT_EQ(text.summary, QString::fromUtf8(summary));
        EXPECT_EQ(text.detail, QString::fromUtf8(detail));
    }
}

TEST(Translations, EveryFailureTheEngineNamesIsTranslated) {
    std::vector<std::int32_t> codes{feed::error_numbers::kStopped,
                                    feed::error_numbers::kNotWellFormed,
                                    feed::error_numbers::kInvalidPath};
    for (std::int32_t code = 0; code < 100; ++code) {  // libcurl's codes
        codes.push_back(code);
    }
    for (const char* language : {"de", "fr"}) {
        const Translations translations{QLocale(QString::fromLatin1(language))};
        for (const std::int32_t code : codes) {
            const std::string words(feed::failureInFewWords(code));
            if (!words.empty()) {
                EXPECT_NE(statusText({words, "", FeedStatus::Kind::Failure}).summary,
                          QString::fromStdString(words))
                    << language << ": " << words;
            }
        }
    }
}

}  // namespace
}  // namespace lumeward::window
