#include "window/KeptAddressList.h"

#include <vector>

#include "memory/UserStore.h"
#include "window/ListView.h"

namespace lumeward::window {

namespace {

// The address list's outcome column.
constexpr int kStatusColumn = 1;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

memory::KeptAddress keptOf(const ListView& addresses, qsizetype index) {
    return {addresses.text(index).toStdString(),
            addresses.subItem(index, kStatusColumn).toStdString(),
            addresses.itemToolTip(index).toStdString(), addresses.suggested(index)};
}

}  // namespace

KeptAddressList::KeptAddressList(ListView& addresses, memory::UserStore& store,
                                 std::function<void()> used)
    : m_addresses(addresses), m_store(store), m_used(std::move(used)) {
    QAbstractItemModel& model = *m_addresses.model();
    connect(&model, &QAbstractItemModel::rowsInserted, this, &KeptAddressList::changed);
    connect(&model, &QAbstractItemModel::rowsRemoved, this, &KeptAddressList::changed);
    connect(&model, &QAbstractItemModel::modelReset, this, &KeptAddressList::changed);
    // The addresses themselves; a Status is kept as its read ends.
    connect(&model, &QAbstractItemModel::dataChanged, this,
            [this](const QModelIndex& first, const QModelIndex&, const QList<int>& roles) {
                if (first.column() == 0 && (roles.isEmpty() || roles.contains(Qt::DisplayRole))) {
                    changed();
                }
            });
}

KeptAddressList::~KeptAddressList() {
    flush();
}

void KeptAddressList::restore() {
    std::vector<ListRow> rows;
    for (auto& kept : m_store.keptAddresses()) {
        rows.push_back({fromUtf8(kept.address),
                        {fromUtf8(kept.status)},
                        false,
                        fromUtf8(kept.detail),
                        {},
                        {},
                        std::nullopt,
                        std::move(kept.suggested)});
    }
    m_addresses.insert(m_addresses.count() + 1, std::move(rows));
    m_used();
    m_keeping = true;
}

void KeptAddressList::keepStatus(qsizetype index) {
    if (m_keeping) {
        m_store.keepStatus(static_cast<std::size_t>(index - 1), keptOf(m_addresses, index));
        m_used();
    }
}

void KeptAddressList::changed() {
    if (!m_keeping || m_savePending) {
        return;
    }
    m_savePending = true;
    QMetaObject::invokeMethod(this, &KeptAddressList::flush, Qt::QueuedConnection);
}

void KeptAddressList::flush() {
    if (!m_savePending) {
        return;
    }
    m_savePending = false;
    std::vector<memory::KeptAddress> list;
    list.reserve(static_cast<std::size_t>(m_addresses.count()));
    for (qsizetype i = 1; i <= m_addresses.count(); ++i) {
        list.push_back(keptOf(m_addresses, i));
    }
    m_store.keepAddresses(list);
    m_used();
}

}  // namespace lumeward::window
