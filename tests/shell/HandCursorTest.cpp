#include "shell/HandCursor.h"

#include "support/TempDir.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPixmap>
#include <QtEndian>

#include <gtest/gtest.h>

#include <string>

namespace lumeward::shell {
namespace {

using lumeward::test::TempDir;

void appendWord(QByteArray& bytes, quint16 value) {
    char buffer[2];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, 2);
}

void appendDword(QByteArray& bytes, quint32 value) {
    char buffer[4];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, 4);
}

// A 32-bit device-independent bitmap as cursor files hold it: the header gives
// twice the height (colour rows, then the AND mask rows), rows run bottom-up.
QByteArray bitmapImage(int width, int height) {
    QByteArray bytes;
    appendDword(bytes, 40);
    appendDword(bytes, static_cast<quint32>(width));
    appendDword(bytes, static_cast<quint32>(height * 2));
    appendWord(bytes, 1);
    appendWord(bytes, 32);
    for (int i = 0; i < 6; ++i) {
        appendDword(bytes, 0);
    }
    for (int i = 0; i < width * height; ++i) {
        bytes.append("\x20\x40\xC0\xFF", 4);  // opaque, blue-green-red order
    }
    const int maskRowBytes = (width + 31) / 32 * 4;
    bytes.append(QByteArray(maskRowBytes * height, '\0'));
    return bytes;
}

QByteArray pngImage(int width, int height) {
    QImage image(width, height, QImage::Format_ARGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Header, one directory entry, then the image. type is 2 for a cursor, 1 for an icon.
QByteArray iconFile(quint16 type, int width, int height, int hotX, int hotY,
                    const QByteArray& image) {
    QByteArray bytes;
    appendWord(bytes, 0);
    appendWord(bytes, type);
    appendWord(bytes, 1);
    bytes.append(static_cast<char>(width % 256));  // 0 stands for 256
    bytes.append(static_cast<char>(height % 256));
    bytes.append('\0');  // colour count
    bytes.append('\0');  // reserved
    appendWord(bytes, static_cast<quint16>(hotX));
    appendWord(bytes, static_cast<quint16>(hotY));
    appendDword(bytes, static_cast<quint32>(image.size()));
    appendDword(bytes, 22);
    return bytes + image;
}

QString writeFile(const TempDir& folder, const char* name, const QByteArray& bytes) {
    return QString::fromStdString(folder.write(name, bytes.toStdString()).string());
}

struct CursorCase {
    const char* name;
    int width;
    int height;
    int hotX;
    int hotY;
    bool png;
};

class LoadCursorFileTest : public testing::TestWithParam<CursorCase> {};

TEST_P(LoadCursorFileTest, GivesTheImageWithTheFilesHotSpot) {
    const CursorCase& c = GetParam();
    const TempDir folder;
    const QByteArray image = c.png ? pngImage(c.width, c.height) : bitmapImage(c.width, c.height);
    const QString path =
        writeFile(folder, "HAND-M.CUR", iconFile(2, c.width, c.height, c.hotX, c.hotY, image));

    const std::optional<QCursor> cursor = loadCursorFile(path);

    ASSERT_TRUE(cursor.has_value());
    EXPECT_EQ(cursor->pixmap().size(), QSize(c.width, c.height));
    EXPECT_EQ(cursor->hotSpot(), QPoint(c.hotX, c.hotY));
}

INSTANTIATE_TEST_SUITE_P(
    HandCursor, LoadCursorFileTest,
    testing::Values(CursorCase{"SquareBitmap", 32, 32, 5, 3, false},
                    CursorCase{"BitmapWithHotSpotAtOrigin", 32, 32, 0, 0, false},
                    CursorCase{"NarrowBitmap", 16, 24, 15, 23, false},
                    CursorCase{"PngEntry", 48, 48, 20, 40, true}),
    [](const testing::TestParamInfo<CursorCase>& param) { return param.param.name; });

TEST(HandCursor, GivesNothingForAFileThatIsNotACursor) {
    const TempDir folder;
    const QByteArray cursor = iconFile(2, 32, 32, 5, 3, bitmapImage(32, 32));
    const QByteArray png = iconFile(2, 48, 48, 5, 3, pngImage(48, 48));
    const struct {
        const char* name;
        QByteArray bytes;
    } cases[] = {
        {"text renamed", "This is a text file, not a pointer.\n"},
        {"icon, not cursor", iconFile(1, 32, 32, 0, 0, bitmapImage(32, 32))},
        {"cut inside image", cursor.left(cursor.size() / 2)},
        {"cut inside mask", cursor.left(cursor.size() - 64)},
        {"cut inside png", png.left(png.size() - 20)},
        {"cut inside directory", cursor.left(12)},
        {"no entries", cursor.left(4) + QByteArray(2, '\0') + cursor.mid(6)},
        {"empty", QByteArray()},
    };
    for (const auto& c : cases) {
        const QString path = writeFile(folder, "HAND-M.CUR", c.bytes);
        EXPECT_FALSE(loadCursorFile(path).has_value()) << c.name;
    }
}

TEST(HandCursor, GivesNothingForAMissingFile) {
    const TempDir folder;
    const QString path = QString::fromStdString((folder.path() / "HAND-M.CUR").string());
    EXPECT_FALSE(loadCursorFile(path).has_value());
}

}  // namespace
}  // namespace lumeward::shell
