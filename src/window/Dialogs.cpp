#include "window/Dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

namespace lumeward::window {

void QtDialogs::message(QWidget* parent, const QString& caption, const QString& text, Icon icon) {
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption,
                    text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QtDialogs::inputBox(QWidget* parent, const QString& caption,
                                           const QString& prompt, const QString& defaultText) {
    QInputDialog dialog(parent);
    dialog.setWindowTitle(caption);
    dialog.setLabelText(prompt);
    dialog.setTextValue(defaultText);
    // Wide enough for the whole default text: an example address shows in full.
    if (auto* edit = dialog.findChild<QLineEdit*>()) {
        edit->setMinimumWidth(edit->fontMetrics().horizontalAdvance(defaultText) +
                              edit->minimumSizeHint().width());
    }
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.textValue();
}

QStringList QtDialogs::openFiles(QWidget* parent, const QString& title, const QString& filter) {
    const QString file = QFileDialog::getOpenFileName(parent, title, QString(), filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

std::optional<QString> QtDialogs::chooseFolder(QWidget* parent, const QString& title,
                                               const QString& startFolder) {
    const QString folder = QFileDialog::getExistingDirectory(parent, title, startFolder);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder;
}

std::optional<QString> QtDialogs::saveFile(QWidget* parent, const QString& title,
                                           const QString& filter) {
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // A name typed without an extension takes that of the filter chosen.
    const auto useExtensionOf = [&dialog](const QString& chosen) {
        dialog.setDefaultSuffix(chosen.section(QStringLiteral("*."), 1, 1).section(')', 0, 0));
    };
    useExtensionOf(dialog.selectedNameFilter());
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, useExtensionOf);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        return std::nullopt;
    }
    return dialog.selectedFiles().constFirst();
}

}  // namespace lumeward::window
