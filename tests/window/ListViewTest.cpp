// The list component on its own; the window's tests use it through real input.
#include "window/ListView.h"

#include "window/ListModel.h"

#include <QHeaderView>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTest>

#include <gtest/gtest.h>

namespace lumeward::window {
namespace {

// Like the window's result list: four columns, a check box on every row.
class ListViewTest : public testing::Test {
protected:
    ListViewTest() {
        for (const char* text : {"URL", "Title", "Description", "Feed"}) {
            m_list.addColumn(text);
            m_list.add(text);
        }
        m_list.show();
    }

    ListView m_list{true};
    QAbstractItemModel& m_model = *m_list.model();
};

TEST_F(ListViewTest, KeepsColumnWidthsInTwipsAsSetOrAsDragged) {
    // 1 twip is less than a pixel: the column keeps a 1-pixel divider to drag open.
    const std::pair<int, int> twipsAndPixels[] = {{1500, 100}, {1, 1}, {4000, 267}, {15, 1}};
    for (int column = 1; column <= 4; ++column) {
        m_list.setColumnWidthTwips(column, twipsAndPixels[column - 1].first);
        EXPECT_EQ(m_list.columnWidthTwips(column), twipsAndPixels[column - 1].first);
        EXPECT_EQ(m_list.horizontalHeader()->sectionSize(column - 1),
                  twipsAndPixels[column - 1].second);
    }
    m_list.horizontalHeader()->resizeSection(1, 40);  // what dragging a divider does
    EXPECT_EQ(m_list.columnWidthTwips(2), 600);
    m_list.resize(1600, 300);  // the last column does not stretch with the list
    EXPECT_EQ(m_list.columnWidthTwips(4), 15);
#ifdef QT_NO_DEBUG  // a debug build stops at the range assertion instead
    m_list.setSubItem(1, 0, "no sub-item");
    m_list.setSubItem(1, 4, "beyond the last column");
    EXPECT_EQ(m_list.text(5) + m_list.subItem(1, 4) + m_list.columnHeader(5), "");
#endif
}

TEST_F(ListViewTest, ChecksFollowTheBoxAndCheckAllTellsTheViewOnce) {
    EXPECT_FALSE(m_model.index(0, 1).data(Qt::CheckStateRole).isValid());
    EXPECT_TRUE(m_model.setData(m_model.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(m_list.checked(3) && !m_list.checked(2));
    EXPECT_FALSE(m_model.setData(m_model.index(0, 0), "edited", Qt::EditRole));
    QSignalSpy notices(&m_model, &QAbstractItemModel::dataChanged);
    m_list.setAllChecked(true);
    EXPECT_EQ(notices.count(), 1);
    EXPECT_TRUE(m_list.checked(1) && m_list.checked(4));
    m_list.clear();
    m_list.setAllChecked(true);  // nothing to check, nothing to tell
    EXPECT_EQ(notices.count(), 1);
}

TEST_F(ListViewTest, InsertsRowsWhereToldAndDrawsNoTextWhereNoneCanShow) {
    m_list.insert(2, {{"b1", {"t1"}, true, "tip"}, {"b2", {}, false, {}}});
    m_list.insert(m_list.count() + 1, {{"end", {}, true, {}}});
    QStringList texts;
    for (qsizetype i = 1; i <= m_list.count(); ++i) {
        texts << m_list.text(i) + (m_list.checked(i) ? "+" : "");
    }
    EXPECT_EQ(texts.join(' '), "URL b1+ b2 Title Description Feed end+");
    EXPECT_EQ(m_model.index(1, 1).data(Qt::ToolTipRole).toString() + m_list.subItem(2, 1), "tipt1");
    EXPECT_FALSE(m_model.index(1, 0).data(Qt::ToolTipRole).isValid()) << "the list's own tooltip";
    // A long text in a column of a pixel or two is left out; in a wide one it is drawn.
    m_list.setSubItem(1, 1, QString(200, 'x'));
    QStyleOptionViewItem option;
    option.initFrom(&m_list);
    const auto widthIn = [&](int pixels) {
        option.rect = {0, 0, pixels, 20};
        return m_list.itemDelegate()->sizeHint(option, m_model.index(0, 1)).width();
    };
    EXPECT_LT(widthIn(1), 20);
    EXPECT_GT(widthIn(300), 300);
}

TEST_F(ListViewTest, ReportsKeysWithTheirVirtualKeyCodes) {
    // Letters and digits give their upper-case codes, Delete 46, other keys 0, Shift held.
    QSignalSpy keys(&m_list, &ListView::keyPressedWithCode);
    const std::pair<Qt::Key, int> cases[] = {
        {Qt::Key_Delete, 46}, {Qt::Key_A, 'A'}, {Qt::Key_Z, 'Z'},    {Qt::Key_0, '0'},
        {Qt::Key_9, '9'},     {Qt::Key_F5, 0},  {Qt::Key_Exclam, 0}, {Qt::Key_Up, 0}};
    for (const auto& [key, code] : cases) {
        QTest::keyClick(&m_list, key, Qt::ShiftModifier);
        EXPECT_EQ(keys.last().at(0).toInt(), code) << key;
    }
}

}  // namespace
}  // namespace lumeward::window
