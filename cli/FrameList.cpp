#include "FrameList.h"

#include "BatchOptions.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

QStringList readFrameList(QIODevice &list)
{
    QStringList frames;
    while (!list.atEnd()) {
        QByteArray line = list.readLine();
        while (line.endsWith('\n') || line.endsWith('\r'))
            line.chop(1);
        if (!line.isEmpty())
            frames << QFile::decodeName(line);
    }
    return frames;
}

QStringList shardOf(const QStringList &frames, int k, int n)
{
    QStringList part;
    for (qsizetype i = k - 1; i >= 0 && i < frames.size(); i += n)
        part << frames[i];
    return part;
}

FrameTarget targetFor(const QString &frame, const BatchOptions &options)
{
    const QFileInfo info(frame);
    QString name = info.fileName();
    if (!options.format.isEmpty()) {
        const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
        name = (dot > 0 ? name.left(dot) : name) + QLatin1Char('.') + options.format;
    }
    const QString folder = options.outDir.isEmpty() ? info.path() : options.outDir;
    FrameTarget target{frame, QDir(folder).filePath(name)};
    if (options.outDir.isEmpty() && name == info.fileName())
        target.target = frame, target.overItself = true;
    return target;
}
