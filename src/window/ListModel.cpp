#include "window/ListModel.h"

#include <QGuiApplication>
#include <QPalette>

#include <iterator>

namespace lumeward::window {

ListModel::ListModel(bool withCheckBoxes, QObject* parent)
    : QAbstractTableModel(parent), m_withCheckBoxes(withCheckBoxes) {}

int ListModel::rowCount(const QModelIndex& parent) const {
    // A flat list: rows have no children.
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
}

int ListModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(m_headers.size());
}

QVariant ListModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) {
        return {};
    }
    const ListRow& row = m_rows[static_cast<std::size_t>(index.row())];
    if (role == Qt::DisplayRole) {
        return index.column() == 0 ? row.text : row.subItems.value(index.column() - 1);
    }
    if (role == Qt::CheckStateRole && showsCheckBox(index)) {
        return row.checked ? Qt::Checked : Qt::Unchecked;
    }
    if (role == Qt::ToolTipRole && index.column() > 0 && !row.toolTip.isEmpty()) {
        return row.toolTip;
    }
    if (role == Qt::ForegroundRole && row.saved) {
        return QGuiApplication::palette().color(QPalette::Disabled, QPalette::Text);
    }
    return {};
}

bool ListModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    // Only the check box is editable; this is what a click on it does.
    if (role != Qt::CheckStateRole || !index.isValid() || !showsCheckBox(index)) {
        return false;
    }
    m_rows[static_cast<std::size_t>(index.row())].checked = value.toInt() == Qt::Checked;
    emit dataChanged(index, index, {Qt::CheckStateRole});
    return true;
}

Qt::ItemFlags ListModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) {
        return Qt::NoItemFlags;
    }
    Qt::ItemFlags result = Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
    if (showsCheckBox(index)) {
        result |= Qt::ItemIsUserCheckable;
    }
    return result;
}

QVariant ListModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < m_headers.size()) {
        return m_headers[section];
    }
    return {};
}

void ListModel::appendColumn(const QString& header) {
    const int column = static_cast<int>(m_headers.size());
    beginInsertColumns(QModelIndex(), column, column);
    m_headers.append(header);
    endInsertColumns();
}

QString ListModel::columnHeader(int column) const {
    return hasColumn(column) ? m_headers[column] : QString();
}

bool ListModel::hasColumn(int column) const {
    const bool inRange = column >= 0 && column < m_headers.size();
    Q_ASSERT_X(inRange, "ListView", "column out of range");
    return inRange;
}

int ListModel::appendRow(const QString& text) {
    const int row = rowCount();
    beginInsertRows(QModelIndex(), row, row);
    m_rows.push_back(ListRow{text, {}, false, {}});
    endInsertRows();
    return row;
}

void ListModel::insertRows(int at, std::vector<ListRow> rows) {
    if (rows.empty() || (at != rowCount() && !hasRow(at))) {
        return;
    }
    beginInsertRows(QModelIndex(), at, at + static_cast<int>(rows.size()) - 1);
    m_rows.insert(m_rows.begin() + at, std::make_move_iterator(rows.begin()),
                  std::make_move_iterator(rows.end()));
    endInsertRows();
}

void ListModel::removeRowAt(int row) {
    if (!hasRow(row)) {
        return;
    }
    beginRemoveRows(QModelIndex(), row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
}

void ListModel::clearRows() {
    // One reset instead of a removal per row keeps clearing 100,000 rows quick.
    beginResetModel();
    m_rows.clear();
    endResetModel();
}

QString ListModel::text(int row) const {
    return hasRow(row) ? m_rows[static_cast<std::size_t>(row)].text : QString();
}

void ListModel::setText(int row, const QString& text) {
    if (!hasRow(row)) {
        return;
    }
    m_rows[static_cast<std::size_t>(row)].text = text;
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

QString ListModel::subItem(int row, int k) const {
    if (!hasRow(row) || !hasSubItemColumn(k)) {
        return {};
    }
    return m_rows[static_cast<std::size_t>(row)].subItems.value(k - 1);
}

void ListModel::setSubItem(int row, int k, const QString& text) {
    if (!hasRow(row) || !hasSubItemColumn(k)) {
        return;
    }
    QStringList& subItems = m_rows[static_cast<std::size_t>(row)].subItems;
    if (subItems.size() < k) {
        subItems.resize(k);
    }
    subItems[k - 1] = text;
    const QModelIndex changed = index(row, k);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void ListModel::setItemToolTip(int row, const QString& text) {
    if (!hasRow(row)) {
        return;
    }
    m_rows[static_cast<std::size_t>(row)].toolTip = text;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::ToolTipRole});
}

QString ListModel::itemToolTip(int row) const {
    return hasRow(row) ? m_rows[static_cast<std::size_t>(row)].toolTip : QString();
}

QDateTime ListModel::date(int row) const {
    return hasRow(row) ? m_rows[static_cast<std::size_t>(row)].date : QDateTime();
}

std::string ListModel::id(int row) const {
    return hasRow(row) ? m_rows[static_cast<std::size_t>(row)].id : std::string();
}

std::optional<SavedAs> ListModel::saved(int row) const {
    return hasRow(row) ? m_rows[static_cast<std::size_t>(row)].saved : std::nullopt;
}

void ListModel::setSaved(int row, const std::optional<SavedAs>& saved) {
    if (!hasRow(row)) {
        return;
    }
    m_rows[static_cast<std::size_t>(row)].saved = saved;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1), {Qt::ForegroundRole});
}

std::optional<memory::SuggestedAddress> ListModel::suggested(int row) const {
    return hasRow(row) ? m_rows[static_cast<std::size_t>(row)].suggested : std::nullopt;
}

void ListModel::setSuggested(int row, const std::optional<memory::SuggestedAddress>& suggested) {
    if (hasRow(row)) {
        m_rows[static_cast<std::size_t>(row)].suggested = suggested;
    }
}

bool ListModel::checked(int row) const {
    return hasRow(row) && m_rows[static_cast<std::size_t>(row)].checked;
}

void ListModel::setChecked(int row, bool checked) {
    if (!hasRow(row)) {
        return;
    }
    m_rows[static_cast<std::size_t>(row)].checked = checked;
    const QModelIndex changed = index(row, 0);
    emit dataChanged(changed, changed, {Qt::CheckStateRole});
}

void ListModel::setAllChecked(bool checked) {
    if (m_rows.empty()) {
        return;
    }
    for (ListRow& row : m_rows) {
        row.checked = checked;
    }
    // One notice for the whole column: a notice per row makes 100,000 rows slow.
    emit dataChanged(index(0, 0), index(rowCount() - 1, 0), {Qt::CheckStateRole});
}

bool ListModel::hasRow(int row) const {
    const bool inRange = row >= 0 && row < rowCount();
    Q_ASSERT_X(inRange, "ListView", "item index out of range");
    return inRange;
}

bool ListModel::hasSubItemColumn(int k) const {
    const bool inRange = k >= 1 && k < m_headers.size();
    Q_ASSERT_X(inRange, "ListView", "sub-item out of range");
    return inRange;
}

bool ListModel::showsCheckBox(const QModelIndex& index) const {
    return m_withCheckBoxes && index.column() == 0;
}

}  // namespace lumeward::window
