#include "window/ResultListActions.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>

#include "window/ListView.h"

namespace lumeward::window {

ResultListActions::ResultListActions(ListView& results, std::function<bool()> busy,
                                     std::function<void()> savePages)
    : QObject(&results),
      m_results(results),
      m_busy(std::move(busy)),
      m_savePages(std::move(savePages)),
      m_open([](const QUrl& url) { QDesktopServices::openUrl(url); }),
      m_menu(new QMenu(&results)) {
    m_openLink = m_menu->addAction(tr("Open Link"), this, &ResultListActions::openLink);
    m_copyLink = m_menu->addAction(tr("Copy Link"), this, &ResultListActions::copyLink);
    m_copyLink->setShortcut(QKeySequence::Copy);
    // Shown in the menu only: the list's own key handling does the work.
    m_copyLink->setShortcutContext(Qt::WidgetShortcut);
    m_menu->addSeparator();
    m_savePagesAction =
        m_menu->addAction(tr("Save Checked As Web Pages…"), this, [this] { m_savePages(); });
    m_results.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&m_results, &ListView::customContextMenuRequested, this, &ResultListActions::showMenu);
    // A double-click, Enter, or a single click where the desktop opens items so.
    connect(&m_results, &ListView::activated, this, &ResultListActions::openLink);
    m_results.installEventFilter(this);
}

QString ResultListActions::selectedLink() const {
    const auto selected = m_results.selectedIndex();
    return selected ? m_results.subItem(*selected, 3) : QString();
}

std::optional<QUrl> ResultListActions::selectedWebLink() const {
    // A feed may give any scheme; "file:" or a program's own scheme could
    // start something other than a browser.
    const QUrl url(selectedLink().trimmed());
    if (!url.isValid() || url.host().isEmpty() ||
        (url.scheme() != QLatin1String("http") && url.scheme() != QLatin1String("https"))) {
        return std::nullopt;
    }
    return url;
}

void ResultListActions::openLink() {
    if (const auto url = selectedWebLink()) {
        m_open(*url);
    }
}

void ResultListActions::copyLink() {
    const QString link = selectedLink();
    if (!m_busy() && !link.isEmpty()) {
        QGuiApplication::clipboard()->setText(link);
    }
}

void ResultListActions::showMenu(const QPoint& position) {
    // The menu is about the row under the pointer.
    if (const QModelIndex index = m_results.indexAt(position); index.isValid()) {
        m_results.setCurrentIndex(index);
    }
    m_openLink->setEnabled(selectedWebLink().has_value());
    m_copyLink->setEnabled(!m_busy() && !selectedLink().isEmpty());
    m_savePagesAction->setEnabled(!m_busy() && m_results.count() > 0);
    m_menu->popup(m_results.viewport()->mapToGlobal(position));
}

bool ResultListActions::eventFilter(QObject*, QEvent* event) {
    if (event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        copyLink();
        return true;
    }
    return false;
}

}  // namespace lumeward::window
