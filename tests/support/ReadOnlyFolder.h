// Makes a folder refuse new files for the life of the guard, so a write beside
// a file there fails while the file itself still reads. As root, permissions do
// not stop writes; the immutable attribute does, where the file system and the
// process may set it. ok() is false when neither works (the test then skips).
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

class ReadOnlyFolder {
public:
    explicit ReadOnlyFolder(const QString &folder) : path(QFile::encodeName(folder))
    {
        if (geteuid() != 0) {
            immutable = false;
            done = ::chmod(path.constData(), 0555) == 0;
            return;
        }
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags |= FS_IMMUTABLE_FL;
            done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
        }
        ::close(fd);
    }
    ~ReadOnlyFolder() { release(); }
    ReadOnlyFolder(const ReadOnlyFolder &) = delete;
    ReadOnlyFolder &operator=(const ReadOnlyFolder &) = delete;

    bool ok() const { return done; }

    void release()
    {
        if (!done)
            return;
        done = false;
        if (!immutable) {
            ::chmod(path.constData(), 0755);
            return;
        }
        const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY);
        if (fd < 0)
            return;
        int flags = 0;
        if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0) {
            flags &= ~FS_IMMUTABLE_FL;
            ::ioctl(fd, FS_IOC_SETFLAGS, &flags);
        }
        ::close(fd);
    }

private:
    QByteArray path;
    bool immutable = true;
    bool done = false;
};
