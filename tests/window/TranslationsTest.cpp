// The window in each language: captions that fit, mnemonics of their own, Status words.
#include <QGroupBox>
#include <QHeaderView>
#include <QPushButton>
#include <QStyle>

#include <gtest/gtest.h>

#include <set>

#include "feed/ReadFailures.h"
#include "support/ScriptedDialogs.h"
#include "window/Form1.h"
#include "window/ListView.h"
#include "window/RetrievalInWindow.h"
#include "window/StatusText.h"
#include "window/Translations.h"

namespace lumeward::window {
namespace {

using enum workflows::FeedStatus::Kind;

TEST(Translations, CaptionsFitTheirControlsWithMnemonicsOfTheirOwn) {
    for (const QString language : {"de", "fr", "en"}) {  // English last: the others leave
        const Translations translations{QLocale(language)};
        test::ScriptedDialogs dialogs;
        Form1 form(dialogs);
        form.Form_Load();
        EXPECT_EQ(language == u"en", form.PushButton1()->text() == u"&Add RSS Feed URL");
        const QString stop = Form1::tr("&Stop Retrieving Data");  // the start button's, in a run
        std::vector<std::pair<QString, QWidget*>> captions{{form.Frame1()->title(), form.Frame1()},
                                                           {stop, form.PushButton2()}};
        for (QPushButton* button : form.findChildren<QPushButton*>()) {
            if (button != form.PushButton8()) {
                captions.emplace_back(button->text(), button);
            }
        }
        // "..." has no letter to underline: its Alt+letter is a shortcut.
        std::set<QKeySequence> keys{form.PushButton8()->shortcut()};
        for (const auto& [text, control] : captions) {
            const int margins = 2 * control->style()->pixelMetric(QStyle::PM_ButtonMargin);
            const int width = control->fontMetrics().horizontalAdvance(QString(text).remove(u'&'));
            EXPECT_LE(width + margins, control->width()) << text.toStdString();
            const QKeySequence key = QKeySequence::mnemonic(text);
            EXPECT_TRUE(text == stop ? key == QKeySequence::mnemonic(form.PushButton2()->text())
                                     : !key.isEmpty() && keys.insert(key).second)
                << text.toStdString();
        }
        for (const QString& word :
             {RetrievalInWindow::waitingText(), RetrievalInWindow::readingText(),
              statusText({{}, {}, Items, 99}).summary}) {  // the Status column's
            EXPECT_LT(form.ListView1()->fontMetrics().horizontalAdvance(word),
                      form.ListView1()->horizontalHeader()->sectionSize(1))
                << word.toStdString();
        }
    }
}

TEST(Translations, StatusSpeaksTheUsersLanguageButForTheServersAndLibcurlsWords) {
    // clang-format off
    const struct { const char* language; workflows::FeedStatus status; const char* summary; const char* detail; } cases[] = {
        {"en", {"1 item", "", Items, 1}, "1 item", ""},
        {"de", {"1 item", "", Items, 1}, "1 Eintrag", ""},
        {"fr", {"0 items", "", Items, 0}, "0 élément", ""},
        {"de", {"Not read", "", NotRead}, "Nicht gelesen", "Der Abruf wurde angehalten, bevor diese Adresse gelesen wurde."},
        {"fr", {"HTTP 404 Not Found", "HTTP 404 Not Found", ServerAnswer}, "HTTP 404 Not Found", "HTTP 404 Not Found"},
        {"de", {"Not a feed", "Not an RSS, RDF or Atom feed", Failure}, "Kein Feed", "Kein RSS-, RDF- oder Atom-Feed"},
        {"fr", {"Could not connect", "Failed to connect", Failure}, "Connexion impossible", "Failed to connect"},
        // What the memory of earlier runs adds.
        {"de", {"", "", Items, 20, true}, "20 Einträge, unverändert", ""},
        {"fr", {"", "", Items, 2, false, "14:05"}, "2 éléments, copie conservée\u00a0: le serveur a demandé d\u2019attendre jusqu\u2019à 14:05", "2 éléments, copie conservée\u00a0: le serveur a demandé d\u2019attendre jusqu\u2019à 14:05"},
        {"de", {"", "", Items, 1, true, "", "http://n/"}, "Umgezogen nach http://n/", "Dauerhaft umgezogen nach http://n/; 1 Eintrag, unverändert"},
        {"en", {"", "", Items, 3, true, "", "", "http://f/"}, "3 items, from the feed found at http://f/", ""},
        {"de", {"x", "x", Failure, 0, false, "09:30"}, "Der Server bat, bis 09:30 zu warten", "Der Server bat, bis 09:30 zu warten"},
    };
    // clang-format on
    for (const auto& [language, status, summary, detail] : cases) {
        const Translations translations{QLocale(QString::fromLatin1(language))};
        EXPECT_EQ(statusText(status).summary, QString::fromUtf8(summary)) << language;
        EXPECT_EQ(statusText(status).detail, QString::fromUtf8(detail)) << language;
    }
    for (const QString language : {"de", "fr"}) {  // every failure the engine has words for
        const Translations translations{QLocale(language)};
        for (std::int32_t code = 0; code < 1100; ++code) {  // libcurl's codes, then the engine's
            const QString words = QString::fromUtf8(feed::failureInFewWords(code).data());
            EXPECT_TRUE(words.isEmpty() ||
                        statusText({words.toStdString(), {}, Failure}).summary != words)
                << words.toStdString();
        }
    }
}

}  // namespace
}  // namespace lumeward::window
