// Which frames a run colours and where each one goes.
#pragma once

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

struct BatchOptions;

// The names in a list file, one a line; empty lines are left out, and a line
// may end in CR as well (lists written on Windows).
QStringList readFrameList(QIODevice &list);

// The frames at positions k, k + n, k + 2n, ... (counted from 1) of `frames`.
QStringList shardOf(const QStringList &frames, int k, int n);

struct FrameTarget {
    QString frame;
    QString target;
    bool overItself = false; // the frame is replaced by its coloured self
};

// Where `frame` is written: under its own name in the --out folder or beside
// itself, with the --format extension in place of its own.
FrameTarget targetFor(const QString &frame, const BatchOptions &options);
