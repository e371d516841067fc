#include "window/Dialogs.h"

#include <QFileDialog>
#include <QInputDialog>
#include <QMessageBox>

namespace lumeward::window {

void QtDialogs::message(QWidget* parent, const QString& caption, const QString& text, Icon icon) {
    QMessageBox box(icon == Icon::Warning ? QMessageBox::Warning : QMessageBox::NoIcon, caption,
                    text, QMessageBox::Ok, parent);
    box.exec();
}

std::optional<QString> QtDialogs::inputBox(QWidget* parent, const QString& caption,
                                           const QString& prompt, const QString& defaultText) {
    bool accepted = false;
    QString text =
        QInputDialog::getText(parent, caption, prompt, QLineEdit::Normal, defaultText, &accepted);
    if (!accepted) {
        return std::nullopt;
    }
    return text;
}

QStringList QtDialogs::openFiles(QWidget* parent, const QString& title, const QString& filter) {
    const QString file = QFileDialog::getOpenFileName(parent, title, QString(), filter);
    return file.isEmpty() ? QStringList() : QStringList{file};
}

std::optional<QString> QtDialogs::chooseFolder(QWidget* parent, const QString& title) {
    const QString folder = QFileDialog::getExistingDirectory(parent, title);
    if (folder.isEmpty()) {
        return std::nullopt;
    }
    return folder;
}

}  // namespace lumeward::window
