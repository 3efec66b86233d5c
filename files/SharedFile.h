// Per-user files that two running instances of the program share: a stamp that
// tells whether a file changed since it was read, and a lock that keeps two
// writers of the same file apart.
#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>

// What identifies one version of a file. Replacing a file through a temporary
// one gives it a new inode, so even a same-sized write within the clock's
// resolution shows.
struct FileStamp {
    bool exists = false;
    uint64_t device = 0;
    uint64_t inode = 0;
    int64_t size = 0;
    int64_t modifiedNs = 0;

    bool operator==(const FileStamp &other) const
    {
        return exists == other.exists && device == other.device && inode == other.inode
               && size == other.size && modifiedNs == other.modifiedNs;
    }
    bool operator!=(const FileStamp &other) const { return !(*this == other); }
};

// The stamp of whatever stands at `path` (a link is followed); a default stamp
// when nothing does.
FileStamp fileStamp(const QString &path);

// An advisory lock on the lock file "<path>.lock" beside `path`, held while the
// object lives; the file exists only meanwhile. Waits at most `waitMs` for
// another instance; without the lock (the folder cannot hold the lock file,
// something other than a plain file is in its place, or the other instance
// hangs) the caller goes on unlocked, as a single instance always did.
class FileLock {
public:
    explicit FileLock(const QString &path, int waitMs = 5000);
    ~FileLock();
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;

    bool locked() const { return handle >= 0; }

private:
    int handle = -1;
    QByteArray lockName;
};
