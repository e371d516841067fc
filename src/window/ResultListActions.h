#pragma once

#include <QObject>
#include <QUrl>

#include <functional>
#include <optional>

class QAction;
class QMenu;

namespace lumeward::window {

class ListView;

// The result list's commands: activating a result (a double-click) or "Open
// Link" in its context menu opens the result's link with the desktop's URL
// opener; "Copy Link" and Ctrl+C copy it. Only http and https links are opened.
// "Save Checked As Web Pages…" hands the saving to the window. Copying and
// saving are offered only while the window is not busy; opening always.
class ResultListActions : public QObject {
    Q_OBJECT

public:
    // Serves the list for as long as it lives; busy tells whether the window
    // is busy, savePages saves the checked results as web pages.
    ResultListActions(ListView& results, std::function<bool()> busy,
                      std::function<void()> savePages);

    // How a link is opened: QDesktopServices, as for the home page, unless a
    // test looks at what would be opened instead.
    void setUrlOpener(std::function<void(const QUrl&)> open) { m_open = std::move(open); }

    // The link of the selected result, as a web address; nothing when no
    // result is selected or its link is not http or https.
    std::optional<QUrl> selectedWebLink() const;
    void openLink();
    void copyLink();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString selectedLink() const;
    void showMenu(const QPoint& position);

    ListView& m_results;
    std::function<bool()> m_busy;
    std::function<void()> m_savePages;
    std::function<void(const QUrl&)> m_open;
    QMenu* m_menu;
    QAction* m_openLink;
    QAction* m_copyLink;
    QAction* m_savePagesAction;
};

}  // namespace lumeward::window
