// The general error report: an exception that escapes an event handler is shown
// in a message box and the program goes on running.
#pragma once

#include <QApplication>
#include <functional>

// The error's text with a full stop appended when its last character sorts after
// "." (after a letter, a digit, "?" or ":", but not after ".", "!" or ",").
QString errorReportText(const QString &message);

// Receives the text of an escaped exception (already through errorReportText).
// Without one, the report is shown in a plain message box. `owner` names who
// installed it, so that a window going away removes only its own reporter and
// not that of a window created after it.
void setErrorReporter(std::function<void(const QString &)> reporter, const void *owner = nullptr);
void clearErrorReporter(const void *owner);
void reportError(const QString &message);

class NuanzaApplication : public QApplication {
public:
    NuanzaApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
