#pragma once

#include <QAbstractTableModel>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <vector>

namespace lumeward::window {

// One row: a text, its sub-items, its check box, the tooltip of its sub-items and
// the date of what it shows (invalid when it has none), which no column shows.
struct ListRow {
    QString text;
    QStringList subItems;
    bool checked = false;
    QString toolTip;
    QDateTime date = {};
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
    // Sub-item k (k >= 1) is shown in column k.
    QString subItem(int row, int k) const;
    void setSubItem(int row, int k, const QString& text);
    // Shown over the row's sub-items; the first column keeps the list's own tooltip.
    void setItemToolTip(int row, const QString& text);
    QDateTime date(int row) const;
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
