#include "shell/Skin.h"

#include <QApplication>
#include <QColor>
#include <QGroupBox>
#include <QImage>
#include <QLineEdit>
#include <QPalette>
#include <QPixmap>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/ScriptedDialogs.h"
#include "support/TempDir.h"
#include "window/Form1.h"

namespace lumeward::shell {
namespace {

using lumeward::test::TempDir;

// Non-ASCII text shows that the file is read as UTF-8.
constexpr char kSheet[] =
    "/* Soft skin \xE2\x80\x94 caf\xC3\xA9 */\n"
    "QPushButton { border-radius: 6px; padding: 2px; }\n";

// A desktop whose button face is neither white nor the field's base colour, so
// every colour the skin sets can be told apart.
class SkinTest : public testing::Test {
protected:
    void SetUp() override {
        m_desktop = QApplication::palette();
        QPalette palette = m_desktop;
        palette.setColor(QPalette::Button, kButtonFace);
        palette.setColor(QPalette::Base, kFieldBase);
        QApplication::setPalette(palette);
    }
    void TearDown() override { QApplication::setPalette(m_desktop); }

    static QString path(const std::filesystem::path& file) {
        return QString::fromStdString(file.string());
    }

    static QColor windowColour(const QWidget* widget) {
        return widget->palette().color(QPalette::Window);
    }

    static QColor pixel(QWidget* widget, QPoint where) {
        return widget->grab().toImage().pixelColor(where);
    }

    const QColor kButtonFace{0xd4, 0xd0, 0xc8};
    const QColor kFieldBase{0xf8, 0xfc, 0xe8};
    test::ScriptedDialogs m_dialogs;
    QPalette m_desktop;
};

TEST_F(SkinTest, PaintsWindowAndFrameInTheButtonFaceAndAppliesTheSheet) {
    const TempDir folder;
    window::Form1 form(m_dialogs);
    const QColor fieldBase = form.Text1()->palette().color(QPalette::Base);
    ASSERT_EQ(fieldBase, kFieldBase);

    ApplySkin(form, path(folder.write("o.cjs", kSheet)));

    EXPECT_EQ(windowColour(&form), kButtonFace);
    EXPECT_TRUE(form.autoFillBackground());
    EXPECT_EQ(windowColour(form.Frame1()), kButtonFace);
    EXPECT_EQ(form.styleSheet(), QString::fromUtf8(kSheet));
    EXPECT_EQ(form.Text1()->palette().color(QPalette::Base), fieldBase);
    EXPECT_EQ(form.Text1()->palette().color(QPalette::Inactive, QPalette::Base), fieldBase);
}

TEST_F(SkinTest, ShowsTheButtonFaceOnScreenWhileTheFieldKeepsItsColour) {
    const TempDir folder;
    window::Form1 form(m_dialogs);

    ApplySkin(form, path(folder.write("o.cjs", kSheet)));

    EXPECT_EQ(pixel(&form, {2, 2}), kButtonFace);
    const QRect field = form.Text1()->rect();
    EXPECT_EQ(pixel(form.Text1(), field.center() + QPoint(field.width() / 4, 0)), kFieldBase);
}

TEST_F(SkinTest, KeepsTheFieldsColourWhenTheFrameTakesANewPalette) {
    const TempDir folder;
    window::Form1 form(m_dialogs);
    ApplySkin(form, path(folder.write("o.cjs", kSheet)));

    // Later palette changes above the field must not reach it either.
    QPalette frame = form.Frame1()->palette();
    frame.setColor(QPalette::Base, Qt::darkGray);
    form.Frame1()->setPalette(frame);

    EXPECT_EQ(form.Text1()->palette().color(QPalette::Base), kFieldBase);
}

TEST_F(SkinTest, ChangesNothingWithoutASkinFile) {
    const TempDir folder;
    for (const QString& skinFile : {QString(), path(folder.path() / "x" / "o.cjs")}) {
        SCOPED_TRACE(skinFile.toStdString());
        window::Form1 form(m_dialogs);

        ApplySkin(form, skinFile);

        EXPECT_EQ(windowColour(&form), QColor(Qt::white));
        EXPECT_EQ(windowColour(form.Frame1()), QColor(Qt::white));
        EXPECT_EQ(pixel(&form, {2, 2}), QColor(Qt::white));
        EXPECT_TRUE(form.styleSheet().isEmpty());
    }
}

TEST_F(SkinTest, KeepsTheColoursButNoSheetWhenTheSkinCannotBeRead) {
    const TempDir folder;
    const auto unreadable = folder.path() / "o.cjs";
    std::filesystem::create_directory(unreadable);
    window::Form1 form(m_dialogs);

    ApplySkin(form, path(unreadable));

    EXPECT_EQ(windowColour(&form), kButtonFace);
    EXPECT_EQ(windowColour(form.Frame1()), kButtonFace);
    EXPECT_EQ(form.Text1()->palette().color(QPalette::Base), kFieldBase);
    EXPECT_TRUE(form.styleSheet().isEmpty());
}

}  // namespace
}  // namespace lumeward::shell
