// The command line of nuanza-batch: GNU-style options, read into plain values,
// with a German message for every mistake.
#pragma once

#include <QString>
#include <QStringList>

struct BatchOptions {
    QString model;
    QString outDir;     // empty: each frame is written beside itself
    QString format;     // an extension without the dot; empty: each frame's own
    bool overwrite = false;
    bool skipExisting = false;
    QString filesFrom;  // empty: none; "-": standard input
    int jobs = 0;       // 0: one per core
    int shard = 1, shards = 1;
    bool quiet = false;
    bool follow = false; // each frame from the one before, the motion followed
    QString reportDir;  // empty: none; else the untrusted pixels of each frame go here
    QStringList frames; // named on the command line
};

struct ParsedCommandLine {
    enum Action { Run, Help, Version, Usage } action = Run;
    BatchOptions options;
    QString error; // for Usage: what is wrong, in German
};

// `arguments` as main receives them, the program's name first.
ParsedCommandLine parseCommandLine(const QStringList &arguments);

QString helpText();

// `text` in German quotation marks, as the messages name files and options.
inline QString quoted(const QString &text) { return QStringLiteral("„%1“").arg(text); }
