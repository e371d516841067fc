#pragma once

#include <QObject>
#include <QStringList>
#include <QUrl>

class QAction;
class QMenu;
class QMimeData;

namespace lumeward::window {

class Dialogs;
class Form1;

// The address list's commands beyond its buttons: a context menu ("Remove",
// "Copy Address", "Paste Addresses", "Save Addresses As…", and for an address
// whose last read suggested another, "Use New Address" when the feed moved or
// "Use Found Address" when the page named it), Ctrl+C and Ctrl+V, and links,
// text or files dropped on the list. Like the window's other commands on the
// list, each is ignored while the window is busy.
class AddressListActions : public QObject {
    Q_OBJECT

public:
    // Serves the window's address list; dialogs must outlive the window.
    AddressListActions(Form1& form, Dialogs& dialogs);

    void copyAddress();
    // Adds the addresses of the clipboard's lines.
    void pasteAddresses();
    // Writes the whole list as OPML, or as text for a name ending in ".txt".
    void saveAddressesAs();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMenu(const QPoint& position);
    // A local file is loaded as "Load RSS URLs From File" does, any other link
    // added; text without links adds its lines.
    void addDropped(const QList<QUrl>& links, const QString& text);
    bool acceptsDrop(const QMimeData& data) const;

    Form1& m_form;
    Dialogs& m_dialogs;
    QMenu* m_menu;
    QAction* m_remove;
    QAction* m_copy;
    QAction* m_paste;
    QAction* m_useSuggested;
    QAction* m_save;
};

}  // namespace lumeward::window
