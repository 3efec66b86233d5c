// Every modal interaction of the window goes through this interface: the real
// one shows Qt dialogs, tests install a scripted one that answers and records.
#pragma once

#include <QColor>
#include <QMessageBox>
#include <QString>
#include <QStringList>

class QDialog;
class QPrinter;
class QWidget;

// A file dialog request in the classic form: the filter is
// "description|mask|description|mask..." and the filter index counts from 1.
struct FileRequest {
    QString title;
    QString folder;
    QString fileName;
    QString filter;
    int filterIndex = 1;
    QString defaultExt;          // appended by the dialog when a typed name has none
    bool multiple = false;       // open: several files at once
    bool confirmOverwrite = true; // save: ask before replacing an existing file
};

struct FileAnswer {
    bool accepted = false;
    QStringList fileNames;
    int filterIndex = 1;
};

class UserDialogs {
public:
    virtual ~UserDialogs() = default;

    // An empty title means the platform's default message-box title.
    virtual QMessageBox::StandardButton message(QWidget *parent, const QString &text,
                                                const QString &title, QMessageBox::Icon icon,
                                                QMessageBox::StandardButtons buttons) = 0;
    virtual FileAnswer openFile(QWidget *parent, const FileRequest &request) = 0;
    virtual FileAnswer saveFile(QWidget *parent, const FileRequest &request) = 0;
    // Returns false when the user cancels; `colour` is the start and the result.
    virtual bool chooseColour(QWidget *parent, QColor &colour) = 0;
    virtual bool printerSetup(QWidget *parent, QPrinter *printer) = 0;
    // Shows one of the program's own modal dialogs; returns its result code.
    virtual int exec(QDialog *dialog) = 0;

    // Shorthands for the message boxes the program uses most.
    void error(QWidget *parent, const QString &text, const QString &title = QString());
    QMessageBox::StandardButton question(QWidget *parent, const QString &text,
                                         const QString &title,
                                         QMessageBox::StandardButtons buttons);
};

// Converts the classic filter ("desc|mask|...") into Qt's name filters
// ("desc (mask mask)"), one per pair; masks separated by ';' become spaces.
QStringList classicFilterToQt(const QString &filter);

class QtUserDialogs : public UserDialogs {
public:
    QMessageBox::StandardButton message(QWidget *parent, const QString &text,
                                        const QString &title, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons) override;
    FileAnswer openFile(QWidget *parent, const FileRequest &request) override;
    FileAnswer saveFile(QWidget *parent, const FileRequest &request) override;
    bool chooseColour(QWidget *parent, QColor &colour) override;
    bool printerSetup(QWidget *parent, QPrinter *printer) override;
    int exec(QDialog *dialog) override;
};
