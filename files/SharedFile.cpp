#include "SharedFile.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>
#include <cerrno>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

FileStamp fileStamp(const QString &path)
{
    FileStamp stamp;
#ifdef Q_OS_UNIX
    struct stat st;
    const QByteArray name = QFile::encodeName(path);
    if (name.isEmpty() || ::stat(name.constData(), &st) != 0)
        return stamp;
    stamp.exists = true;
    stamp.device = uint64_t(st.st_dev);
    stamp.inode = uint64_t(st.st_ino);
    stamp.size = int64_t(st.st_size);
    stamp.modifiedNs = int64_t(st.st_mtim.tv_sec) * 1000000000 + int64_t(st.st_mtim.tv_nsec);
#else
    const QFileInfo info(path);
    stamp.exists = info.exists();
    stamp.size = info.size();
    stamp.modifiedNs = info.lastModified().toMSecsSinceEpoch() * 1000000;
#endif
    return stamp;
}

FileLock::FileLock(const QString &path, int waitMs)
{
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path + QLatin1String(".lock"));
    QElapsedTimer waited;
    waited.start();
    for (;;) {
        // Not waiting on a pipe, not following a link someone put there.
        const int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_NONBLOCK | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
        if (fd < 0)
            return;
        struct stat st;
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
            ::close(fd);
            return;
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
            // The holder before removes the file as it lets go: a lock on a
            // file no longer under the name keeps no one out.
            struct stat named;
            if (::stat(name.constData(), &named) == 0 && named.st_dev == st.st_dev && named.st_ino == st.st_ino) {
                handle = fd;
                lockName = name;
                return;
            }
        } else if (errno != EWOULDBLOCK && errno != EINTR) {
            ::close(fd);
            return;
        }
        ::close(fd);
        if (waited.elapsed() >= waitMs)
            return;
        QThread::msleep(10);
    }
#else
    Q_UNUSED(path);
    Q_UNUSED(waitMs);
#endif
}

FileLock::~FileLock()
{
#ifdef Q_OS_UNIX
    if (handle < 0)
        return;
    // Removed while still locked, so the folder keeps no trace of the write.
    ::unlink(lockName.constData());
    ::close(handle);
#endif
}
