#pragma once

#include <QDateTime>
#include <QString>
#include <QTableView>

#include <optional>
#include <string>
#include <vector>

#include "window/ListModel.h"

namespace lumeward::window {

// One report-view list: column headers the user can widen by dragging, rows of
// a text and sub-item texts, and optionally a check box on every row. Items are
// numbered from 1 in display order. A flat table of rows of one height: adding,
// checking, clearing and scrolling stay quick at 100,000 rows, where a tree view
// would lay out every row again for each insertion.
class ListView : public QTableView {
    Q_OBJECT

public:
    explicit ListView(bool withCheckBoxes, QWidget* parent = nullptr);
    ~ListView() override;

    // Column headers, 1-based; widths in twips.
    void addColumn(const QString& header);
    int columnCount() const;
    QString columnHeader(int column) const;
    void setColumnWidthTwips(int column, int twips);
    int columnWidthTwips(int column) const;

    // Items, 1-based.
    qsizetype count() const;
    // Appends an item with only a text; returns its index.
    qsizetype add(const QString& text);
    // Puts rows in so that the first gets index `at` (count() + 1 appends).
    void insert(qsizetype at, std::vector<ListRow> rows);
    void remove(qsizetype index);
    void clear();
    QString text(qsizetype index) const;
    void setText(qsizetype index, const QString& text);
    // Sub-item k (k >= 1) is shown in column k + 1.
    QString subItem(qsizetype index, int k) const;
    void setSubItem(qsizetype index, int k, const QString& text);
    // The tooltip over the item's sub-items.
    void setItemToolTip(qsizetype index, const QString& text);
    QString itemToolTip(qsizetype index) const;
    // The date the item was inserted with; invalid when it has none.
    QDateTime date(qsizetype index) const;
    // The item's id, as inserted; empty when it has none.
    std::string id(qsizetype index) const;
    // What was saved of the item before (see ListRow); a saved item shows greyed.
    std::optional<SavedAs> saved(qsizetype index) const;
    void setSaved(qsizetype index, const std::optional<SavedAs>& saved);
    // The address the item's last read suggested instead; none for most.
    std::optional<memory::SuggestedAddress> suggested(qsizetype index) const;
    void setSuggested(qsizetype index, const std::optional<memory::SuggestedAddress>& suggested);
    bool checked(qsizetype index) const;
    void setChecked(qsizetype index, bool checked);
    void setAllChecked(bool checked);
    void ensureVisible(qsizetype index);
    // The selected item's index, or nothing when no item is selected.
    std::optional<qsizetype> selectedIndex() const;

signals:
    // A double-click anywhere on the list.
    void doubleClickedAnywhere();
    // A key pressed while the list has the focus, with its Windows virtual-key
    // code (Delete is 46, letters and digits their upper-case ASCII code, other
    // keys 0), whatever the modifiers. The list's own handling follows.
    void keyPressedWithCode(int keyCode);

protected:
    void changeEvent(QEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void fitRowHeightToFont();

    ListModel* m_model;
    // Each column's width as last set in twips; nothing before it is set.
    std::vector<std::optional<int>> m_columnTwips;
};

}  // namespace lumeward::window
