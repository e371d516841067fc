#pragma once

#include <QCursor>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class QGroupBox;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTimer;

namespace lumeward::memory {
class ResponseCache;
class UserStore;
}  // namespace lumeward::memory
namespace lumeward::workflows {
enum class SavedFileFormat;
}

namespace lumeward::window {

class Dialogs;
class KeptAddressList;
class ListView;
class RetrievalInWindow;

// The main window: the feed address list and its two buttons, the retrieval
// button, the result list with "Check All" and "Uncheck All", the output folder
// field, the export button and the progress bar.
//
// What the user keeps between starts lives in the user's store
// (memory::defaultUserFile()): the address list with each address's last
// Status, and the record of saved results. What is only a cache lives in
// memory::defaultCacheFile(): the feeds' last answers, so that a run asks
// servers only for what changed ("Ask Servers For Changes Only", "1" by
// default; "0" reads every feed in full). A store that cannot be used is
// reported in one box, and the window works as on a first start.
class Form1 : public QWidget {
    Q_OBJECT

public:
    // dialogs must outlive the window.
    explicit Form1(Dialogs& dialogs, QWidget* parent = nullptr);
    ~Form1() override;

    // The window's own load steps, after the start-up's: the output folder from
    // its setting, the columns of both lists, then the kept address list.
    void Form_Load();

    ListView* ListView1() const { return m_listView1; }
    ListView* ListView2() const { return m_listView2; }
    QPushButton* PushButton1() const { return m_pushButton1; }
    QPushButton* PushButton2() const { return m_pushButton2; }
    QPushButton* PushButton3() const { return m_pushButton3; }
    QPushButton* PushButton4() const { return m_pushButton4; }
    QPushButton* PushButton5() const { return m_pushButton5; }
    QPushButton* PushButton6() const { return m_pushButton6; }
    QPushButton* PushButton8() const { return m_pushButton8; }
    QGroupBox* Frame1() const { return m_frame1; }
    QLineEdit* Text1() const { return m_text1; }
    QProgressBar* ProgressBar1() const { return m_progressBar1; }

    // "Add RSS Feed URL": asks for one address and appends it.
    void PushButton1_Click();
    // "Load RSS URLs From File": asks for a text file and appends its lines.
    void PushButton6_Click();
    // "Start Retrieving Data": fills the result list from every listed feed;
    // while that runs, the button reads "Stop Retrieving Data" and stops it.
    void PushButton2_Click();
    // "Save Results As HTML": writes one file per checked result, in the format
    // the "Saved File Format" setting names ("plain", the default, or "page").
    void PushButton3_Click();
    // Writes one file per checked result into the output folder, in the format given.
    void saveCheckedResults(workflows::SavedFileFormat format);
    // "...": browses for the output folder.
    void PushButton8_Click();
    // Saves every change of the output folder field.
    void Text1_Change(const QString& text);
    // "Check All" and "Uncheck All".
    void PushButton4_Click();
    void PushButton5_Click();
    // Removal of the selected address.
    void ListView1_DblClick();
    void ListView1_KeyDown(int keyCode);
    // Puts the address the selected address's last read suggested in its place.
    void useSuggestedAddress();

    // The custom pointer image, shown over the buttons; none when unset.
    void setMouseIcon(const QCursor& cursor) { m_mouseIcon = cursor; }
    const std::optional<QCursor>& mouseIcon() const { return m_mouseIcon; }

    // The window's pointer: 0 the arrow, 11 the busy pointer, 99 the custom
    // pointer (the hand when HAND-M.CUR was found, else the arrow).
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int value);

    // The progress bar's value from 0 to 100, as last set (unrounded).
    double progress() const { return m_progress; }

    // How the retrieval run waits a moment after its final message; tests shorten it.
    void setPause(std::function<void(double seconds)> pause) { m_pause = std::move(pause); }

    // True from the moment the user closes the window; long work stops then.
    bool isClosing() const { return m_closing; }

    // A retrieval run, an address load or an export is under way: commands
    // that would start another or change the address list are ignored.
    bool isBusy() const { return m_busy; }
    // Appends the addresses of a file, as "Load RSS URLs From File" does once
    // the file is chosen; ignored while busy.
    void loadAddressFile(const QString& path);

protected:
    void closeEvent(QCloseEvent* event) override;
    // The pointer rule: the hand over the push buttons, the arrow over the bare
    // surface, neither while the busy pointer shows.
    void mouseMoveEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createControls();
    void connectHandlers();
    // Lets the window handle pending events; false once long work should stop.
    bool yieldToEvents();
    void removeSelectedAddress();
    void setProgress(double percent);
    // After a use of the stores: a failure they report is shown once the
    // current work has returned to the event loop, all in one box.
    void reportStoreFailures();
    // Marks the results saved into the output folder before (markSavedResults).
    void markSavedRows();
    // The end of a run: the marks of results saved before, the message ("Done."
    // or, after a stop, "Stopped."), the pause, the pointer and the bar.
    void endRetrieval();

    Dialogs& m_dialogs;
    ListView* m_listView1;
    QPushButton* m_pushButton1;
    QPushButton* m_pushButton6;
    QPushButton* m_pushButton2;
    ListView* m_listView2;
    QPushButton* m_pushButton4;
    QPushButton* m_pushButton5;
    QGroupBox* m_frame1;
    QLineEdit* m_text1;
    QPushButton* m_pushButton8;
    QPushButton* m_pushButton3;
    QProgressBar* m_progressBar1;
    // A retrieval run, an address load or an export is under way: clicks that
    // would start another or change the address list are ignored.
    bool m_busy = false;
    // The retrieval under way, if any.
    RetrievalInWindow* m_retrieval = nullptr;
    int m_mousePointer = 0;
    double m_progress = 0;
    std::function<void(double)> m_pause;
    std::optional<QCursor> m_mouseIcon;
    bool m_closing = false;
    std::unique_ptr<memory::UserStore> m_userStore;
    std::shared_ptr<memory::ResponseCache> m_responseCache;  // shared with a run's readers
    std::unique_ptr<KeptAddressList> m_keptAddresses;        // after the store: uses it as it ends
    QStringList m_storeFailures;                             // not yet shown
    QTimer* m_markSavedRows;                                 // after a change of the output folder
};

}  // namespace lumeward::window
