#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <optional>
#include <string>
#include <vector>

#include "memory/UserStore.h"

namespace lumeward::window {

// A result saved into the output folder before: the file's name, and when.
struct SavedAs {
    QString fileName;
    QDateTime at;

    bool operator==(const SavedAs&) const = default;
};

// One row: a text, its sub-items, its check box, the tooltip of its sub-items and
// the date of what it shows (invalid when it has none), which no column shows.
// A result also carries the feed's id of its item (empty when the feed gives
// none) and, when it was saved into the output folder before, what was saved;
// an address carries the address its last read suggested instead.
struct ListRow {
    QString text;
    QStringList subItems;
    bool checked = false;
    QString toolTip;
    QDateTime date = {};
    std::string id = {};
    std::optional<SavedAs> saved = std::nullopt;
    std::optional<memory::SuggestedAddress> suggested = std::nullopt;
};

// The rows and column headers behind a ListView. Rows are numbered from 0 here;
// ListView translates its 1-based item indexes. Every row operation checks its
// row and yields a neutral value for one out of range.
class ListModel : public QAbstractTableModel {
    Q_OBJECT

public:
    explicit ListModel(bool withCheckBoxes, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    void appendColumn(const QString& header);
    QString columnHeader(int column) const;
    bool hasColumn(int column) const;

    // Returns the new row's number.
    int appendRow(const QString& text);
    // Puts rows in before row `at` (rowCount() appends) with one notice, however many.
    void insertRows(int at, std::vector<ListRow> rows);
    void removeRowAt(int row);
    void clearRows();
    QString text(int row) const;
    void setText(int row, const QString& text);
    // Sub-item k (k >= 1) is shown in column k.
    QString subItem(int row, int k) const;
    void setSubItem(int row, int k, const QString& text);
    // Shown over the row's sub-items; the first column keeps the list's own tooltip.
    void setItemToolTip(int row, const QString& text);
    QString itemToolTip(int row) const;
    QDateTime date(int row) const;
    std::string id(int row) const;
    // A saved row shows greyed.
    std::optional<SavedAs> saved(int row) const;
    void setSaved(int row, const std::optional<SavedAs>& saved);
    std::optional<memory::SuggestedAddress> suggested(int row) const;
    void setSuggested(int row, const std::optional<memory::SuggestedAddress>& suggested);
    bool checked(int row) const;
    void setChecked(int row, bool checked);
    void setAllChecked(bool checked);
    // Asserts in debug builds: an index out of range is a programming error.
    bool hasRow(int row) const;

private:
    bool hasSubItemColumn(int k) const;
    bool showsCheckBox(const QModelIndex& index) const;

    bool m_withCheckBoxes;
    QStringList m_headers;
    std::vector<ListRow> m_rows;
};

}  // namespace lumeward::window
