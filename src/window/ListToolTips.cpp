#include "window/ListToolTips.h"

#include <QHelpEvent>
#include <QLocale>
#include <QTextDocument>
#include <QToolTip>

#include "window/ListView.h"
#include "window/SavedResults.h"

namespace lumeward::window {

namespace {

constexpr qsizetype kDescriptionLines = 5;
constexpr qsizetype kDescriptionCharacters = 500;

QString descriptionExcerpt(const QString& description) {
    QStringList lines;
    for (const QString& line : description.split('\n')) {
        if (!line.trimmed().isEmpty()) {
            lines << line.trimmed();
        }
    }
    const QString excerpt = lines.mid(0, kDescriptionLines).join('\n');
    if (lines.size() > kDescriptionLines || excerpt.size() > kDescriptionCharacters) {
        return excerpt.left(kDescriptionCharacters) + QChar(0x2026);
    }
    return excerpt;
}

// In the user's locale and time zone: "Monday, 7 December 2026 11:00".
QString localDate(const QDateTime& date) {
    if (!date.isValid()) {
        return {};
    }
    const QDateTime local = date.toLocalTime();
    const QLocale locale;
    return locale.toString(local.date(), QLocale::LongFormat) + ' ' +
           locale.toString(local.time(), QLocale::ShortFormat);
}

class RowToolTips : public QObject {
public:
    RowToolTips(ListView& list, bool results) : QObject(&list), m_list(list), m_results(results) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() != QEvent::ToolTip) {
            return false;
        }
        const auto* help = static_cast<QHelpEvent*>(event);
        const QModelIndex index = m_list.indexAt(help->pos());
        const QString text = index.isValid() ? textFor(index.row() + 1, index.column()) : QString();
        if (text.isEmpty()) {
            return false;
        }
        // As rich text, escaped: feed text shows as written, never as mark-up,
        // and long descriptions wrap.
        QToolTip::showText(help->globalPos(), Qt::convertFromPlainText(text, Qt::WhiteSpaceNormal),
                           m_list.viewport(), m_list.visualRect(index));
        return true;
    }

private:
    QString textFor(qsizetype item, int column) const {
        if (column == 0) {
            return m_list.text(item);
        }
        if (!m_results) {
            return {};
        }
        // The date right under the title, when there is one.
        const QString heading =
            QStringList{m_list.subItem(item, 1), localDate(m_list.date(item))}.join('\n').trimmed();
        const auto saved = m_list.saved(item);
        QStringList parts{saved ? savedAsText(*saved) : QString(), heading,
                          descriptionExcerpt(m_list.subItem(item, 2)), m_list.subItem(item, 3)};
        parts.removeAll(QString());
        return parts.join(QStringLiteral("\n\n"));
    }

    ListView& m_list;
    bool m_results;
};

}  // namespace

void showRowToolTips(ListView& list, bool results) {
    list.viewport()->installEventFilter(new RowToolTips(list, results));
}

}  // namespace lumeward::window
