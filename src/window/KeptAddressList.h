#pragma once

#include <QObject>

#include <functional>

namespace lumeward::memory {
class UserStore;
}

namespace lumeward::window {

class ListView;

// Keeps the address list in the user's store, so it comes back at the next
// start with each address's last Status. Every change to the list, whichever
// way it came (typed, loaded, pasted, dropped, handed over, replaced), is saved
// whole at the end of the event-loop turn it happened in, so a load of many
// addresses is one save; the Status of each read is kept as the read ends.
// Its owner ends it before the list goes.
class KeptAddressList : public QObject {
    Q_OBJECT

public:
    // store must outlive the object; used tells that the store was used, so
    // that a failure can be reported.
    KeptAddressList(ListView& addresses, memory::UserStore& store, std::function<void()> used);
    // Saves a change still waiting for its turn.
    ~KeptAddressList() override;

    // Appends the kept list to the address list; keeping starts after it.
    void restore();
    // Keeps the Status the address at index (from 1) shows now.
    void keepStatus(qsizetype index);
    // Saves a change still waiting for its turn now: before a run shows its
    // passing Statuses ("Waiting", "Reading"), which are never kept.
    void flush();

private:
    void changed();

    ListView& m_addresses;
    memory::UserStore& m_store;
    std::function<void()> m_used;
    bool m_keeping = false;
    bool m_savePending = false;
};

}  // namespace lumeward::window
