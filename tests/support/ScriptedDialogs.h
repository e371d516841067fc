#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "window/Dialogs.h"

namespace lumeward::test {

// Answers the window's boxes from a script and writes down what was shown.
class ScriptedDialogs : public window::Dialogs {
public:
    struct Shown {
        QString kind;  // "message", "input", "open", "folder" or "save"
        QString caption;
        QString text;    // message text, prompt, or dialog title
        QString detail;  // an input box's default text, a file dialog's filter, a folder's start
        Icon icon = Icon::None;
    };

    std::deque<std::optional<QString>> inputAnswers;
    std::deque<QStringList> openAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::deque<std::optional<QString>> saveAnswers;
    std::vector<Shown> shown;
    // Called as each box or dialog is shown, while it would be open.
    std::function<void(const Shown&)> onShown;

    void message(QWidget*, const QString& caption, const QString& text, Icon icon) override {
        show({"message", caption, text, {}, icon});
    }
    std::optional<QString> inputBox(QWidget*, const QString& caption, const QString& prompt,
                                    const QString& defaultText) override {
        show({"input", caption, prompt, defaultText});
        return next(inputAnswers, std::optional<QString>());
    }
    QStringList openFiles(QWidget*, const QString& title, const QString& filter) override {
        show({"open", {}, title, filter});
        return next(openAnswers, QStringList());
    }
    std::optional<QString> chooseFolder(QWidget*, const QString& title,
                                        const QString& startFolder) override {
        show({"folder", {}, title, startFolder});
        return next(folderAnswers, std::optional<QString>());
    }
    std::optional<QString> saveFile(QWidget*, const QString& title,
                                    const QString& filter) override {
        show({"save", {}, title, filter});
        return next(saveAnswers, std::optional<QString>());
    }

private:
    void show(Shown box) {
        shown.push_back(std::move(box));
        if (onShown) {
            onShown(shown.back());
        }
    }

    // An unscripted question is answered as if the user cancelled.
    template <class T>
    static T next(std::deque<T>& answers, T answer) {
        if (!answers.empty()) {
            answer = std::move(answers.front());
            answers.pop_front();
        }
        return answer;
    }
};

}  // namespace lumeward::test
