#pragma once

#include <QString>
#include <QStringList>

#include <deque>
#include <optional>
#include <utility>
#include <vector>

#include "window/Dialogs.h"

namespace lumeward::test {

// Answers the window's boxes from a script and writes down what was shown.
class ScriptedDialogs : public window::Dialogs {
public:
    struct Shown {
        QString kind;  // "message", "input", "open" or "folder"
        QString caption;
        QString text;    // message text, prompt, or dialog title
        QString detail;  // default text of an input box, filter of an open dialog
        Icon icon = Icon::None;
    };

    std::deque<std::optional<QString>> inputAnswers;
    std::deque<QStringList> openAnswers;
    std::deque<std::optional<QString>> folderAnswers;
    std::vector<Shown> shown;

    void message(QWidget*, const QString& caption, const QString& text, Icon icon) override {
        shown.push_back({"message", caption, text, {}, icon});
    }
    std::optional<QString> inputBox(QWidget*, const QString& caption, const QString& prompt,
                                    const QString& defaultText) override {
        shown.push_back({"input", caption, prompt, defaultText});
        return next(inputAnswers, std::optional<QString>());
    }
    QStringList openFiles(QWidget*, const QString& title, const QString& filter) override {
        shown.push_back({"open", {}, title, filter});
        return next(openAnswers, QStringList());
    }
    std::optional<QString> chooseFolder(QWidget*, const QString& title) override {
        shown.push_back({"folder", {}, title, {}});
        return next(folderAnswers, std::optional<QString>());
    }

private:
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
