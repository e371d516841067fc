#include "shell/Skin.h"

#include <QApplication>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QPalette>

#include "window/Form1.h"

namespace lumeward::shell {
namespace {

void paintBackground(QWidget& widget, const QColor& colour) {
    QPalette palette = widget.palette();
    palette.setColor(QPalette::Window, colour);
    widget.setPalette(palette);
    widget.setAutoFillBackground(true);
}

// Pins the field's base colour to its own palette, so that a palette change on
// its frame can never reach it.
void keepBaseColour(QLineEdit& field) {
    QPalette palette = field.palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Base, palette.color(group, QPalette::Base));
    }
    field.setPalette(palette);
}

}  // namespace

void ApplySkin(window::Form1& form, const QString& skinFile) {
    if (skinFile.isEmpty() || !QFileInfo::exists(skinFile)) {
        return;
    }
    const QColor buttonFace = QApplication::palette().color(QPalette::Button);
    keepBaseColour(*form.Text1());
    paintBackground(form, buttonFace);
    paintBackground(*form.Frame1(), buttonFace);

    // A skin that cannot be read leaves the colours changed and the start-up
    // going on without a sheet.
    QFile file(skinFile);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        return;
    }
    form.setStyleSheet(QString::fromUtf8(bytes));
}

}  // namespace lumeward::shell
