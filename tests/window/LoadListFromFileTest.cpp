// Loading the address list from a file that is not plain text, or is large.
#include <QString>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "window/ListView.h"
#include "window/LoadListFromFile.h"

namespace lumeward::window {
namespace {

using test::ScriptedDialogs;
using test::TempDir;

const QChar kReplacement(0xFFFD);

class LoadList : public testing::Test {
protected:
    void load(const std::filesystem::path& file) {
        LoadListFromFile(m_list, QString::fromStdString(file.string()), m_dialogs, nullptr, [this] {
            ++m_yields;
            return true;
        });
    }

    TempDir m_dir;
    ListView m_list{false};
    ScriptedDialogs m_dialogs;
    int m_yields = 0;
};

TEST_F(LoadList, BinaryAndInvalidUtf8RowsShowWithReplacementCharacters) {
    std::string everyByte;
    QString everyByteShown;
    for (int value = 0; value < 256; ++value) {
        if (value == '\r' || value == '\n') {
            continue;
        }
        everyByte += static_cast<char>(value);
        // Bytes from 0x80 on, in rising order, never make up a sequence.
        everyByteShown += value < 0x80 ? QChar(value) : kReplacement;
    }
    const std::string content =
        "http://h/caf\xc3\xa9\r\n"
        "http://h/\xff\r\n"
        "\xc3(\r\n"
        "\xc0\xaf\r\n"
        "\xed\xa0\x80\r\n"
        "\xf4\x90\x80\x80\r\n" +
        std::string("a\0b", 3) + "\r\n" + everyByte + "\r\n";
    const QString r(kReplacement);
    const QString expected[] = {
        QString::fromUtf8("http://h/caf\xc3\xa9"),
        "http://h/" + r,
        r + "(",
        r + r,
        r + r + r,
        r + r + r + r,
        QString("a") + QChar(0) + "b",
        everyByteShown,
    };

    load(m_dir.write("binary.txt", content));

    EXPECT_TRUE(m_dialogs.shown.empty());
    ASSERT_EQ(m_list.count(), static_cast<qsizetype>(std::size(expected)));
    for (qsizetype i = 1; i <= m_list.count(); ++i) {
        EXPECT_EQ(m_list.text(i), expected[i - 1]) << "row " << i;
    }
    EXPECT_EQ(m_yields, m_list.count());
}

TEST_F(LoadList, HundredThousandLinesAreAllAddedInOrder) {
    constexpr int kLines = 100'000;
    std::string content;
    for (int i = 1; i <= kLines; ++i) {
        content += "http://feeds.example/" + std::to_string(i) + "\r\n";
    }
    m_list.add(QStringLiteral("already there"));

    load(m_dir.write("large.txt", content));

    EXPECT_TRUE(m_dialogs.shown.empty());
    ASSERT_EQ(m_list.count(), kLines + 1);
    EXPECT_EQ(m_list.text(1), "already there");
    EXPECT_EQ(m_list.text(2), "http://feeds.example/1");
    EXPECT_EQ(m_list.text(kLines / 2 + 1), "http://feeds.example/" + QString::number(kLines / 2));
    EXPECT_EQ(m_list.text(kLines + 1), "http://feeds.example/" + QString::number(kLines));
    EXPECT_EQ(m_yields, kLines);
}

}  // namespace
}  // namespace lumeward::window
