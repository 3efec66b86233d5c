// A UserDialogs for tests: answers from a script, records everything shown,
// and never blocks. An unscripted question fails the test loudly.
#pragma once

#include "UserDialogs.h"

#include <QDialog>
#include <QList>
#include <deque>
#include <functional>
#include <stdexcept>

struct ShownMessage {
    QString text;
    QString title;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

class ScriptedDialogs : public UserDialogs {
public:
    std::deque<QMessageBox::StandardButton> answers;
    std::deque<FileAnswer> fileAnswers;
    std::deque<std::pair<bool, QColor>> colourAnswers;
    // Runs on a dialog passed to exec() (for example to read its fields); the
    // dialog's result is what the hook returns, QDialog::Rejected without one.
    std::function<int(QDialog *)> execHook;
    // Runs on the printer of a printer setup (for example to send it to a PDF
    // file); the setup's result is what the hook returns, true without one.
    std::function<bool(QPrinter *)> printerSetupHook;

    QList<ShownMessage> messages;
    QList<FileRequest> fileRequests;
    int printerSetups = 0;
    int execs = 0;

    QMessageBox::StandardButton message(QWidget *, const QString &text, const QString &title,
                                        QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons) override
    {
        messages.append({text, title, icon, buttons});
        if (buttons == QMessageBox::Ok || buttons == QMessageBox::NoButton)
            return QMessageBox::Ok;
        if (answers.empty())
            throw std::logic_error("unscripted question: " + text.toStdString());
        const auto answer = answers.front();
        answers.pop_front();
        return answer;
    }
    FileAnswer openFile(QWidget *, const FileRequest &request) override { return nextFile(request); }
    FileAnswer saveFile(QWidget *, const FileRequest &request) override { return nextFile(request); }
    bool chooseColour(QWidget *, QColor &colour) override
    {
        if (colourAnswers.empty())
            throw std::logic_error("unscripted colour dialog");
        const auto answer = colourAnswers.front();
        colourAnswers.pop_front();
        if (answer.first)
            colour = answer.second;
        return answer.first;
    }
    bool printerSetup(QWidget *, QPrinter *printer) override
    {
        ++printerSetups;
        return printerSetupHook ? printerSetupHook(printer) : true;
    }
    int exec(QDialog *dialog) override
    {
        ++execs;
        return execHook ? execHook(dialog) : int(QDialog::Rejected);
    }

private:
    FileAnswer nextFile(const FileRequest &request)
    {
        fileRequests.append(request);
        if (fileAnswers.empty())
            throw std::logic_error("unscripted file dialog: " + request.title.toStdString());
        const auto answer = fileAnswers.front();
        fileAnswers.pop_front();
        return answer;
    }
};
