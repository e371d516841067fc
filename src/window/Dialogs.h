#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace lumeward::window {

// Every modal box and dialog the window shows goes through here, so that tests
// can script the answers and read what was shown.
class Dialogs {
public:
    enum class Icon { None, Warning };

    virtual ~Dialogs() = default;

    // A message with a single OK button.
    virtual void message(QWidget* parent, const QString& caption, const QString& text,
                         Icon icon = Icon::None) = 0;
    // The text entered, or nothing when the user cancelled.
    virtual std::optional<QString> inputBox(QWidget* parent, const QString& caption,
                                            const QString& prompt, const QString& defaultText) = 0;
    // The files chosen in an open dialog; empty when cancelled.
    virtual QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) = 0;
    // The folder chosen, or nothing when cancelled; the dialog opens at
    // startFolder when it is not empty.
    virtual std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                                const QString& startFolder) = 0;
    // The file chosen in a save dialog, which asks before it names a file that
    // exists; nothing when cancelled.
    virtual std::optional<QString> saveFile(QWidget* parent, const QString& title,
                                            const QString& filter) = 0;
};

// The desktop's own boxes and dialogs.
class QtDialogs : public Dialogs {
public:
    void message(QWidget* parent, const QString& caption, const QString& text, Icon icon) override;
    std::optional<QString> inputBox(QWidget* parent, const QString& caption, const QString& prompt,
                                    const QString& defaultText) override;
    QStringList openFiles(QWidget* parent, const QString& title, const QString& filter) override;
    std::optional<QString> chooseFolder(QWidget* parent, const QString& title,
                                        const QString& startFolder) override;
    std::optional<QString> saveFile(QWidget* parent, const QString& title,
                                    const QString& filter) override;
};

}  // namespace lumeward::window
