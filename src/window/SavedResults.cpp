#include "window/SavedResults.h"

#include <QCoreApplication>
#include <QLocale>

#include <string>
#include <vector>

#include "memory/ItemKey.h"
#include "memory/UserStore.h"
#include "window/ListView.h"

namespace lumeward::window {

namespace {

std::string toUtf8(const QString& text) {
    return text.toUtf8().toStdString();
}

// The columns of a result: feed, title, description, link.
std::string keyOf(const ListView& results, qsizetype index) {
    return memory::itemKey(toUtf8(results.text(index)), results.id(index),
                           toUtf8(results.subItem(index, 3)), toUtf8(results.subItem(index, 1)),
                           toUtf8(results.subItem(index, 2)));
}

}  // namespace

void markSavedResults(ListView& results, memory::UserStore& store,
                      const std::filesystem::path& folder) {
    std::vector<std::optional<memory::SavedMark>> marks(static_cast<std::size_t>(results.count()));
    if (!folder.empty() && !marks.empty()) {
        std::vector<std::string> keys;
        keys.reserve(marks.size());
        for (qsizetype i = 1; i <= results.count(); ++i) {
            keys.push_back(keyOf(results, i));
        }
        marks = store.savedInto(folder, keys);
    }
    for (qsizetype i = 1; i <= results.count(); ++i) {
        const auto& mark = marks[static_cast<std::size_t>(i - 1)];
        const bool wasSaved = results.saved(i).has_value();
        if (!mark) {
            if (wasSaved) {
                results.setSaved(i, std::nullopt);
                results.setChecked(i, true);
            }
            continue;
        }
        results.setSaved(i, SavedAs{QString::fromStdString(mark->fileName),
                                    QDateTime::fromSecsSinceEpoch(
                                        mark->savedAt.time_since_epoch().count(), Qt::UTC)});
        // A check the user gave a row already marked stays.
        if (!wasSaved) {
            results.setChecked(i, false);
        }
    }
}

QString savedAsText(const SavedAs& saved) {
    const QLocale locale;
    return QCoreApplication::translate("SavedResults", "Saved as %1 on %2")
        .arg(saved.fileName, locale.toString(saved.at.toLocalTime(), QLocale::ShortFormat));
}

}  // namespace lumeward::window
