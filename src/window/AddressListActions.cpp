#include "window/AddressListActions.h"

#include <QClipboard>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMenu>
#include <QMimeData>

#include <stdexcept>

#include "window/AddressEntry.h"
#include "window/Dialogs.h"
#include "window/Form1.h"
#include "window/ListView.h"
#include "workflows/AddressFile.h"
#include "workflows/AddressLines.h"

namespace lumeward::window {

namespace {

// The key is shown beside the command; the list's own key handling does the
// work, so the menu takes it only while it is open.
void showKey(QAction* action, QKeySequence key) {
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetShortcut);
}

}  // namespace

AddressListActions::AddressListActions(Form1& form, Dialogs& dialogs)
    : QObject(&form), m_form(form), m_dialogs(dialogs), m_menu(new QMenu(form.ListView1())) {
    ListView& list = *m_form.ListView1();
    // The same removal as a double-click or the Delete key.
    m_remove = m_menu->addAction(tr("Remove"), &m_form, &Form1::ListView1_DblClick);
    m_copy = m_menu->addAction(tr("Copy Address"), this, &AddressListActions::copyAddress);
    m_paste = m_menu->addAction(tr("Paste Addresses"), this, &AddressListActions::pasteAddresses);
    // Named by what the read found; shown only for an address it found another for.
    m_useSuggested = m_menu->addAction(QString(), &m_form, &Form1::useSuggestedAddress);
    m_menu->addSeparator();
    m_save =
        m_menu->addAction(tr("Save Addresses As…"), this, &AddressListActions::saveAddressesAs);
    showKey(m_remove, QKeySequence::Delete);
    showKey(m_copy, QKeySequence::Copy);
    showKey(m_paste, QKeySequence::Paste);
    list.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&list, &ListView::customContextMenuRequested, this, &AddressListActions::showMenu);
    // Drops reach the list itself: its viewport, which would hand them to the
    // model, takes none.
    list.installEventFilter(this);
    list.setAcceptDrops(true);
}

void AddressListActions::copyAddress() {
    const auto selected = m_form.ListView1()->selectedIndex();
    if (!m_form.isBusy() && selected) {
        QGuiApplication::clipboard()->setText(m_form.ListView1()->text(*selected));
    }
}

void AddressListActions::pasteAddresses() {
    if (!m_form.isBusy()) {
        addAddressLines(*m_form.ListView1(), QGuiApplication::clipboard()->text());
    }
}

void AddressListActions::saveAddressesAs() {
    if (m_form.isBusy()) {
        return;
    }
    const auto file = m_dialogs.saveFile(&m_form, tr("Save Addresses As"),
                                         tr("OPML Files (*.opml);;Text Files (*.txt)"));
    if (!file || file->isEmpty()) {
        return;
    }
    const ListView& list = *m_form.ListView1();
    std::vector<std::string> addresses;
    for (qsizetype i = 1; i <= list.count(); ++i) {
        addresses.push_back(list.text(i).toStdString());
    }
    try {
        workflows::saveAddressFile(file->toStdString(), addresses);
    } catch (const std::runtime_error& error) {
        m_dialogs.message(&m_form, tr("Lumeward"), QString::fromStdString(error.what()),
                          Dialogs::Icon::Warning);
    }
}

void AddressListActions::addDropped(const QList<QUrl>& links, const QString& text) {
    if (links.isEmpty()) {
        if (!m_form.isBusy()) {
            addAddressLines(*m_form.ListView1(), text);
        }
        return;
    }
    for (const QUrl& link : links) {
        if (m_form.isBusy() || m_form.isClosing()) {
            return;
        }
        if (link.isLocalFile()) {
            m_form.loadAddressFile(link.toLocalFile());
        } else {
            addAddressLines(*m_form.ListView1(), link.toString());
        }
    }
}

bool AddressListActions::acceptsDrop(const QMimeData& data) const {
    return !m_form.isBusy() && (data.hasUrls() || data.hasText());
}

void AddressListActions::showMenu(const QPoint& position) {
    ListView& list = *m_form.ListView1();
    // The menu is about the row under the pointer.
    if (const QModelIndex index = list.indexAt(position); index.isValid()) {
        list.setCurrentIndex(index);
    }
    const bool idle = !m_form.isBusy();
    const bool selected = list.selectedIndex().has_value();
    m_remove->setEnabled(idle && selected);
    m_copy->setEnabled(idle && selected);
    m_paste->setEnabled(
        idle &&
        !workflows::addressesOfText(QGuiApplication::clipboard()->text().toStdString()).empty());
    m_save->setEnabled(idle && list.count() > 0);
    const auto suggested = selected ? list.suggested(*list.selectedIndex()) : std::nullopt;
    m_useSuggested->setVisible(suggested.has_value());
    m_useSuggested->setEnabled(idle);
    if (suggested) {
        m_useSuggested->setText(suggested->reason == memory::SuggestedAddress::Reason::Moved
                                    ? tr("Use New Address")
                                    : tr("Use Found Address"));
    }
    m_menu->popup(list.viewport()->mapToGlobal(position));
}

bool AddressListActions::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress: {
            const auto* key = static_cast<QKeyEvent*>(event);
            if (key->matches(QKeySequence::Copy)) {
                copyAddress();
                return true;
            }
            if (key->matches(QKeySequence::Paste)) {
                pasteAddresses();
                return true;
            }
            return false;
        }
        case QEvent::DragEnter:
        case QEvent::DragMove: {
            auto* drag = static_cast<QDragMoveEvent*>(event);
            // A copy, never a move: the source keeps its file or link.
            drag->setDropAction(Qt::CopyAction);
            drag->setAccepted(acceptsDrop(*drag->mimeData()));
            return true;
        }
        case QEvent::Drop: {
            auto* drop = static_cast<QDropEvent*>(event);
            if (!acceptsDrop(*drop->mimeData())) {
                return true;
            }
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
            // Handled once the drop is over: a file load lets the window handle
            // its events, which the drag's source would wait for meanwhile.
            const QList<QUrl> links = drop->mimeData()->urls();
            const QString text = drop->mimeData()->text();
            QMetaObject::invokeMethod(
                this, [this, links, text] { addDropped(links, text); }, Qt::QueuedConnection);
            return true;
        }
        default:
            return QObject::eventFilter(watched, event);
    }
}

}  // namespace lumeward::window
