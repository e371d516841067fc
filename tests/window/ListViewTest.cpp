#include "window/ListView.h"

#include "window/Twips.h"

#include <QAbstractItemModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace lumeward::window {
namespace {

// The result list of the main window: four columns and a check box per row.
std::unique_ptr<ListView> resultList() {
    auto list = std::make_unique<ListView>(true);
    for (const char* header : {"URL", "Title", "Description", "Feed"}) {
        list->addColumn(QString::fromLatin1(header));
    }
    return list;
}

std::unique_ptr<ListView> addressList() {
    auto list = std::make_unique<ListView>(false);
    list->addColumn(QStringLiteral("RSS URL"));
    return list;
}

void addItems(ListView& list, std::initializer_list<const char*> texts) {
    for (const char* text : texts) {
        list.add(QString::fromUtf8(text));
    }
}

QVariant checkState(const ListView& list, int row) {
    return list.model()->index(row, 0).data(Qt::CheckStateRole);
}

TEST(ListViewColumns, KeepsHeadersInOrderAndWidthsInTwipsAsSet) {
    auto list = resultList();
    struct Case {
        int twips;
        int pixels;
    };
    // 1 twip is less than a pixel: the column keeps a 1-pixel divider to drag.
    const Case cases[] = {{1500, 100}, {1, 1}, {4000, twipsToPixels(4000)}, {15, 1}};
    for (int column = 1; column <= 4; ++column) {
        list->setColumnWidthTwips(column, cases[column - 1].twips);
    }
    ASSERT_EQ(list->columnCount(), 4);
    EXPECT_EQ(list->columnHeader(1), "URL");
    EXPECT_EQ(list->columnHeader(4), "Feed");
    EXPECT_EQ(list->model()->headerData(2, Qt::Horizontal).toString(), "Description");
    EXPECT_EQ(list->header()->minimumSectionSize(), 1);
    for (int column = 1; column <= 4; ++column) {
        SCOPED_TRACE(column);
        EXPECT_EQ(list->columnWidthTwips(column), cases[column - 1].twips);
        EXPECT_EQ(list->header()->sectionSize(column - 1), cases[column - 1].pixels);
        EXPECT_EQ(list->header()->sectionResizeMode(column - 1), QHeaderView::Interactive);
    }
    EXPECT_FALSE(list->header()->sectionsMovable());
}

TEST(ListViewColumns, ReportsTheWidthTheUserDraggedInTwips) {
    auto list = resultList();
    list->resize(800, 300);
    list->show();
    list->setColumnWidthTwips(2, 1);
    list->setColumnWidthTwips(4, 3000);

    // What dragging the dividers does.
    list->header()->resizeSection(1, 40);
    list->header()->resizeSection(3, 201);
    EXPECT_EQ(list->columnWidthTwips(2), 600);
    EXPECT_EQ(list->columnWidthTwips(4), pixelsToTwips(201));

    list->setColumnWidthTwips(2, 1);
    EXPECT_EQ(list->columnWidthTwips(2), 1);
    // Widening the window does not stretch the last column away from its width.
    list->resize(1600, 300);
    EXPECT_EQ(list->columnWidthTwips(4), pixelsToTwips(201));
}

TEST(ListViewItems, AddsItemsWithTextsAndSubItemsShownInTheirColumns) {
    auto list = resultList();
    EXPECT_EQ(list->add("first"), 1);
    EXPECT_EQ(list->add("second"), 2);
    list->setSubItem(2, 1, "title two");
    list->setSubItem(2, 3, "feed two");

    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->text(1), "first");
    EXPECT_EQ(list->text(2), "second");
    EXPECT_EQ(list->subItem(1, 1), "");
    EXPECT_EQ(list->subItem(2, 1), "title two");
    EXPECT_EQ(list->subItem(2, 2), "");
    EXPECT_EQ(list->subItem(2, 3), "feed two");
    EXPECT_FALSE(list->checked(2));

    const QAbstractItemModel* model = list->model();
    EXPECT_EQ(model->index(1, 0).data().toString(), "second");
    EXPECT_EQ(model->index(1, 1).data().toString(), "title two");
    EXPECT_EQ(model->index(1, 3).data().toString(), "feed two");
    EXPECT_FALSE(model->flags(model->index(1, 1)) & Qt::ItemIsEditable);
}

TEST(ListViewItems, RemovingAnItemMovesTheLaterItemsUp) {
    auto list = resultList();
    addItems(*list, {"one", "two", "three"});
    list->setSubItem(3, 2, "third description");
    list->setChecked(3, true);

    list->remove(2);

    ASSERT_EQ(list->count(), 2);
    EXPECT_EQ(list->text(1), "one");
    EXPECT_EQ(list->text(2), "three");
    EXPECT_EQ(list->subItem(2, 2), "third description");
    EXPECT_TRUE(list->checked(2));
    EXPECT_FALSE(list->checked(1));
}

TEST(ListViewItems, ClearEmptiesTheListAndNumberingStartsAgain) {
    auto list = resultList();
    addItems(*list, {"one", "two"});
    list->setChecked(1, true);

    list->clear();

    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(list->model()->rowCount(), 0);
    EXPECT_EQ(list->add("fresh"), 1);
    EXPECT_FALSE(list->checked(1));
    EXPECT_EQ(list->subItem(1, 1), "");
}

#ifdef QT_NO_DEBUG
// Release builds only: a debug build stops at the assertion instead.
TEST(ListViewItems, IndexesOutOfRangeGiveNeutralValuesInReleaseBuilds) {
    auto list = resultList();
    addItems(*list, {"only"});
    list->remove(0);
    list->remove(2);
    list->setChecked(5, true);
    list->setSubItem(1, 4, "beyond the last column");
    list->setSubItem(1, 0, "not a sub-item");
    list->ensureVisible(-1);
    list->setColumnWidthTwips(9, 100);

    EXPECT_EQ(list->count(), 1);
    EXPECT_EQ(list->text(0), "");
    EXPECT_EQ(list->text(2), "");
    EXPECT_EQ(list->subItem(1, 4), "");
    EXPECT_EQ(list->text(1), "only");
    EXPECT_FALSE(list->checked(5));
    EXPECT_EQ(list->columnHeader(5), "");
    EXPECT_EQ(list->columnWidthTwips(0), 0);
}
#endif

TEST(ListViewChecks, CheckStatesFollowTheApiAndClicksOnTheBox) {
    auto list = resultList();
    addItems(*list, {"one", "two", "three"});
    QAbstractItemModel* model = list->model();
    EXPECT_TRUE(model->flags(model->index(0, 0)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model->flags(model->index(0, 1)) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model->index(0, 1).data(Qt::CheckStateRole).isValid());

    list->setChecked(2, true);
    EXPECT_TRUE(list->checked(2));
    EXPECT_EQ(checkState(*list, 1).toInt(), Qt::Checked);
    EXPECT_EQ(checkState(*list, 0).toInt(), Qt::Unchecked);

    // What a click on a check box does.
    EXPECT_TRUE(model->setData(model->index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(model->setData(model->index(1, 0), Qt::Unchecked, Qt::CheckStateRole));
    EXPECT_TRUE(list->checked(3));
    EXPECT_FALSE(list->checked(2));
    EXPECT_FALSE(model->setData(model->index(0, 0), "edited", Qt::EditRole));
    EXPECT_EQ(list->text(1), "one");
}

TEST(ListViewChecks, SetAllCheckedChangesEveryRowWithOneNotice) {
    auto list = resultList();
    QSignalSpy changes(list->model(), &QAbstractItemModel::dataChanged);
    list->setAllChecked(true);
    EXPECT_EQ(list->count(), 0);
    EXPECT_EQ(changes.count(), 0);

    addItems(*list, {"one", "two", "three", "four"});
    list->setChecked(3, true);
    changes.clear();
    list->setAllChecked(true);
    for (qsizetype index = 1; index <= 4; ++index) {
        EXPECT_TRUE(list->checked(index)) << index;
    }
    EXPECT_EQ(changes.count(), 1);

    list->setAllChecked(false);
    EXPECT_FALSE(list->checked(1));
    EXPECT_FALSE(list->checked(4));
    EXPECT_EQ(checkState(*list, 3).toInt(), Qt::Unchecked);
}

TEST(ListViewChecks, AListWithoutCheckBoxesShowsNoCheckState) {
    auto list = addressList();
    addItems(*list, {"https://example.org/feed.xml"});
    QAbstractItemModel* model = list->model();
    const QModelIndex first = model->index(0, 0);

    EXPECT_FALSE(first.data(Qt::CheckStateRole).isValid());
    EXPECT_FALSE(model->flags(first) & Qt::ItemIsUserCheckable);
    EXPECT_FALSE(model->setData(first, Qt::Checked, Qt::CheckStateRole));
    list->setAllChecked(true);
    EXPECT_FALSE(first.data(Qt::CheckStateRole).isValid());
}

TEST(ListViewSelection, ReportsTheSelectedItemOrNothing) {
    auto list = resultList();
    EXPECT_EQ(list->selectedIndex(), std::nullopt);
    addItems(*list, {"one", "two", "three"});
    EXPECT_EQ(list->selectedIndex(), std::nullopt);

    list->selectionModel()->select(list->model()->index(1, 2),
                                   QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    EXPECT_EQ(list->selectedIndex(), 2);

    list->remove(1);
    EXPECT_EQ(list->selectedIndex(), 1);
    list->clearSelection();
    EXPECT_EQ(list->selectedIndex(), std::nullopt);
}

TEST(ListViewSelection, EnsureVisibleScrollsTheItemIntoView) {
    auto list = resultList();
    list->resize(400, 150);
    list->show();
    for (int i = 0; i < 500; ++i) {
        list->add(QString::number(i));
    }
    const QModelIndex last = list->model()->index(499, 0);
    EXPECT_FALSE(list->viewport()->rect().intersects(list->visualRect(last)));

    list->ensureVisible(500);
    EXPECT_TRUE(list->viewport()->rect().contains(list->visualRect(last)));
}

TEST(ListViewInput, DoubleClickAnywhereIsReported) {
    auto list = resultList();
    list->resize(400, 300);
    list->show();
    addItems(*list, {"one"});
    QSignalSpy doubleClicks(list.get(), &ListView::doubleClickedAnywhere);

    const QRect firstRow = list->visualRect(list->model()->index(0, 0));
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, firstRow.center());
    // Below the last row, where there is no item.
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, QPoint(10, 250));
    EXPECT_EQ(doubleClicks.count(), 2);
}

TEST(ListViewInput, KeyPressesCarryTheirVirtualKeyCode) {
    struct Case {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        int code;
    };
    const Case cases[] = {
        {Qt::Key_Delete, Qt::NoModifier, 46}, {Qt::Key_Delete, Qt::ShiftModifier, 46},
        {Qt::Key_A, Qt::NoModifier, 65},      {Qt::Key_Z, Qt::ShiftModifier, 90},
        {Qt::Key_0, Qt::NoModifier, 48},      {Qt::Key_9, Qt::ControlModifier, 57},
        {Qt::Key_F5, Qt::NoModifier, 0},      {Qt::Key_Escape, Qt::NoModifier, 0},
        {Qt::Key_Exclam, Qt::NoModifier, 0},  {Qt::Key_Space, Qt::NoModifier, 0},
    };
    auto list = addressList();
    QSignalSpy keys(list.get(), &ListView::keyPressedWithCode);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        keys.clear();
        QTest::keyClick(list.get(), c.key, c.modifiers);
        // QTest presses the modifier keys first; they are keys with code 0.
        ASSERT_EQ(keys.count(), c.modifiers == Qt::NoModifier ? 1 : 2);
        if (keys.count() == 2) {
            EXPECT_EQ(keys.first().at(0).toInt(), 0);
        }
        EXPECT_EQ(keys.last().at(0).toInt(), c.code);
    }
    // A lower-case letter typed as a character is still its upper-case code.
    keys.clear();
    QTest::keyClick(list.get(), 'q');
    ASSERT_EQ(keys.count(), 1);
    EXPECT_EQ(keys.last().at(0).toInt(), 'Q');
}

TEST(ListViewInput, ArrowKeysStillMoveTheSelection) {
    auto list = resultList();
    list->resize(400, 300);
    list->show();
    addItems(*list, {"one", "two", "three"});
    list->setCurrentIndex(list->model()->index(0, 0));
    QSignalSpy keys(list.get(), &ListView::keyPressedWithCode);

    QTest::keyClick(list.get(), Qt::Key_Down);
    QTest::keyClick(list.get(), Qt::Key_Down);

    EXPECT_EQ(keys.count(), 2);
    EXPECT_EQ(list->selectedIndex(), 3);
}

TEST(ListViewScale, HandlesAHundredThousandRows) {
    constexpr qsizetype kRows = 100'000;
    auto list = resultList();
    list->resize(600, 400);
    list->show();
    for (qsizetype i = 1; i <= kRows; ++i) {
        ASSERT_EQ(list->add(QStringLiteral("https://example.org/%1").arg(i)), i);
    }
    list->setSubItem(kRows, 1, "last title");
    list->setAllChecked(true);
    EXPECT_TRUE(list->checked(1));
    EXPECT_TRUE(list->checked(kRows));
    list->remove(1);
    EXPECT_EQ(list->text(1), "https://example.org/2");
    list->ensureVisible(kRows - 1);

    list->setAllChecked(false);
    EXPECT_EQ(list->count(), kRows - 1);
    EXPECT_FALSE(list->checked(kRows / 2));
    EXPECT_EQ(list->subItem(kRows - 1, 1), "last title");
    list->clear();
    EXPECT_EQ(list->count(), 0);
}

}  // namespace
}  // namespace lumeward::window
