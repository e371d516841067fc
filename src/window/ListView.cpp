#include "window/ListView.h"

#include "window/Twips.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QStyle>
#include <QStyledItemDelegate>

#include <algorithm>
#include <limits>

namespace lumeward::window {

namespace {

constexpr int kVirtualKeyDelete = 46;

// A 1-based item or column index as a 0-based model row or column; -1 when it
// cannot be one, so that the model's range check rejects it.
int toModelPosition(qsizetype index) {
    if (index < 1 || index > std::numeric_limits<int>::max()) {
        return -1;
    }
    return static_cast<int>(index - 1);
}

// The Windows virtual-key code the window's handlers expect for a Qt key.
int virtualKeyCode(int key) {
    if (key == Qt::Key_Delete) {
        return kVirtualKeyDelete;
    }
    // Qt's codes for letters and digits are their upper-case ASCII codes, as
    // the virtual-key codes are, whatever the case typed.
    if ((key >= Qt::Key_A && key <= Qt::Key_Z) || (key >= Qt::Key_0 && key <= Qt::Key_9)) {
        return key;
    }
    return 0;
}

// Draws cells as usual, but leaves out the text of a cell too narrow to show a
// character: eliding a long text into a column of a pixel or two costs as much
// as drawing it, and the result list has two such columns by design.
class NarrowCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        if (option->rect.width() < option->fontMetrics.averageCharWidth()) {
            option->text.clear();
        }
    }
};

}  // namespace

ListView::ListView(bool withCheckBoxes, QWidget* parent)
    : QTableView(parent), m_model(new ListModel(withCheckBoxes, this)) {
    setModel(m_model);
    setItemDelegate(new NarrowCellDelegate(this));
    setSortingEnabled(false);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setShowGrid(false);
    setWordWrap(false);
    setCornerButtonEnabled(false);
    // A report list: no row numbers, every row as high as the font needs.
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    fitRowHeightToFont();

    QHeaderView* columns = horizontalHeader();
    columns->setSectionsMovable(false);
    columns->setSectionResizeMode(QHeaderView::Interactive);
    // Widths are the window's to choose; a stretched last column would drift
    // from the width set in twips.
    columns->setStretchLastSection(false);
    // A 1-twip column keeps a divider the user can drag open again.
    columns->setMinimumSectionSize(1);
}

ListView::~ListView() = default;

void ListView::addColumn(const QString& header) {
    m_model->appendColumn(header);
    m_columnTwips.push_back(std::nullopt);
}

int ListView::columnCount() const {
    return m_model->columnCount();
}

QString ListView::columnHeader(int column) const {
    return m_model->columnHeader(toModelPosition(column));
}

void ListView::setColumnWidthTwips(int column, int twips) {
    const int section = toModelPosition(column);
    if (!m_model->hasColumn(section)) {
        return;
    }
    m_columnTwips[static_cast<std::size_t>(section)] = twips;
    horizontalHeader()->resizeSection(section, std::max(1, twipsToPixels(twips)));
}

int ListView::columnWidthTwips(int column) const {
    const int section = toModelPosition(column);
    if (!m_model->hasColumn(section)) {
        return 0;
    }
    const int pixels = horizontalHeader()->sectionSize(section);
    // The width as set, unless the user has dragged the divider since.
    const std::optional<int> twips = m_columnTwips[static_cast<std::size_t>(section)];
    if (twips && std::max(1, twipsToPixels(*twips)) == pixels) {
        return *twips;
    }
    return pixelsToTwips(pixels);
}

qsizetype ListView::count() const {
    return m_model->rowCount();
}

qsizetype ListView::add(const QString& text) {
    return m_model->appendRow(text) + 1;
}

void ListView::insert(qsizetype at, std::vector<ListRow> rows) {
    m_model->insertRows(toModelPosition(at), std::move(rows));
}

void ListView::remove(qsizetype index) {
    m_model->removeRowAt(toModelPosition(index));
}

void ListView::clear() {
    m_model->clearRows();
}

QString ListView::text(qsizetype index) const {
    return m_model->text(toModelPosition(index));
}

void ListView::setText(qsizetype index, const QString& text) {
    m_model->setText(toModelPosition(index), text);
}

QString ListView::subItem(qsizetype index, int k) const {
    return m_model->subItem(toModelPosition(index), k);
}

void ListView::setSubItem(qsizetype index, int k, const QString& text) {
    m_model->setSubItem(toModelPosition(index), k, text);
}

void ListView::setItemToolTip(qsizetype index, const QString& text) {
    m_model->setItemToolTip(toModelPosition(index), text);
}

QString ListView::itemToolTip(qsizetype index) const {
    return m_model->itemToolTip(toModelPosition(index));
}

QDateTime ListView::date(qsizetype index) const {
    return m_model->date(toModelPosition(index));
}

std::string ListView::id(qsizetype index) const {
    return m_model->id(toModelPosition(index));
}

std::optional<SavedAs> ListView::saved(qsizetype index) const {
    return m_model->saved(toModelPosition(index));
}

void ListView::setSaved(qsizetype index, const std::optional<SavedAs>& saved) {
    m_model->setSaved(toModelPosition(index), saved);
}

std::optional<memory::SuggestedAddress> ListView::suggested(qsizetype index) const {
    return m_model->suggested(toModelPosition(index));
}

void ListView::setSuggested(qsizetype index,
                            const std::optional<memory::SuggestedAddress>& suggested) {
    m_model->setSuggested(toModelPosition(index), suggested);
}

bool ListView::checked(qsizetype index) const {
    return m_model->checked(toModelPosition(index));
}

void ListView::setChecked(qsizetype index, bool checked) {
    m_model->setChecked(toModelPosition(index), checked);
}

void ListView::setAllChecked(bool checked) {
    m_model->setAllChecked(checked);
}

void ListView::ensureVisible(qsizetype index) {
    const int row = toModelPosition(index);
    if (m_model->hasRow(row)) {
        // Rows just inserted are not yet in the scroll range, which would cut the scroll short.
        executeDelayedItemsLayout();
        scrollTo(m_model->index(row, 0), QAbstractItemView::EnsureVisible);
    }
}

std::optional<qsizetype> ListView::selectedIndex() const {
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    if (selected.isEmpty()) {
        return std::nullopt;
    }
    return selected.first().row() + 1;
}

void ListView::fitRowHeightToFont() {
    const int indicator = style()->pixelMetric(QStyle::PM_IndicatorHeight, nullptr, this);
    verticalHeader()->setDefaultSectionSize(std::max(fontMetrics().height(), indicator) + 4);
}

void ListView::changeEvent(QEvent* event) {
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        fitRowHeightToFont();
    }
}

void ListView::mouseDoubleClickEvent(QMouseEvent* event) {
    QTableView::mouseDoubleClickEvent(event);
    emit doubleClickedAnywhere();
}

void ListView::keyPressEvent(QKeyEvent* event) {
    emit keyPressedWithCode(virtualKeyCode(event->key()));
    QTableView::keyPressEvent(event);
}

}  // namespace lumeward::window
