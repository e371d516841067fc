#include "shell/HandCursor.h"

#include <QByteArray>
#include <QFile>
#include <QPixmap>
#include <QtEndian>

namespace lumeward::shell {

namespace {

constexpr qsizetype kHeaderSize = 6;
constexpr qsizetype kEntrySize = 16;
constexpr quint16 kCursorType = 2;

quint16 readWord(const QByteArray& bytes, qsizetype offset) {
    return qFromLittleEndian<quint16>(bytes.constData() + offset);
}

}  // namespace

std::optional<QCursor> loadCursorFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    if (bytes.size() < kHeaderSize + kEntrySize || readWord(bytes, 0) != 0 ||
        readWord(bytes, 2) != kCursorType || readWord(bytes, 4) == 0) {
        return std::nullopt;
    }
    QPixmap pixmap;
    if (!pixmap.loadFromData(bytes, "cur")) {
        return std::nullopt;
    }
    const int hotX = readWord(bytes, kHeaderSize + 4);
    const int hotY = readWord(bytes, kHeaderSize + 6);
    return QCursor(pixmap, hotX, hotY);
}

}  // namespace lumeward::shell
