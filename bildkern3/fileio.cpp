// Reading whole files, and writing files so that a failure never destroys the old one.
#include "fileio.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace bk3 {

bool writev_all(int fd, const iovec *pieces, size_t count)
{
  iovec part[256]; // a copy to advance after a partial write, within IOV_MAX
  while (count > 0) {
    const size_t k = std::min(count, sizeof part / sizeof *part);
    std::copy(pieces, pieces + k, part);
    iovec *p = part, *const end = part + k;
    for (;;) {
      while (p != end && p->iov_len == 0)
        ++p;
      if (p == end)
        break;
      const ssize_t n = ::writev(fd, p, int(end - p));
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0) {
        if (n == 0)
          errno = EIO;
        return false;
      }
      size_t done = size_t(n);
      while (p != end && done >= p->iov_len)
        done -= p->iov_len, ++p; // whole pieces written
      if (p != end) {
        p->iov_base = static_cast<uint8_t *>(p->iov_base) + done;
        p->iov_len -= done;
      }
    }
    pieces += k, count -= k;
  }
  return true;
}

namespace {

// Closes a descriptor on every path out of a function.
struct Fd {
  int fd = -1;
  explicit Fd(int f) : fd(f) {}
  ~Fd()
  {
    if (fd >= 0)
      ::close(fd);
  }
  Fd(const Fd &) = delete;
  Fd &operator=(const Fd &) = delete;
  int release()
  {
    const int f = fd;
    fd = -1;
    return f;
  }
};

bool write_all(int fd, const void *data, size_t size)
{
  const auto *p = static_cast<const uint8_t *>(data);
  while (size > 0) {
    const ssize_t n = ::write(fd, p, size);
    if (n < 0) {
      if (errno == EINTR)
        continue;
      return false;
    }
    p += n;
    size -= size_t(n);
  }
  return true;
}

// Buffers small writes (headers, single rows) into larger system calls.
class FdWriter : public Writer {
public:
  explicit FdWriter(int fd) : fd_(fd) {}
  bool flush()
  {
    if (failed())
      return false;
    const bool ok = write(buf_, used_);
    used_ = 0;
    return ok;
  }
  // The system's reason for the first failed write; 0 when none failed.
  int error() const { return error_; }

protected:
  bool put(const void *data, size_t size) override
  {
    if (size >= sizeof buf_)
      return flush() && write(data, size);
    if (used_ + size > sizeof buf_ && !flush())
      return false;
    std::memcpy(buf_ + used_, data, size);
    used_ += size;
    return true;
  }

  bool put_pieces(const iovec *pieces, size_t count) override
  {
    if (!flush())
      return false;
    if (!writev_all(fd_, pieces, count)) {
      error_ = errno;
      return false;
    }
    size_t size = 0;
    for (size_t i = 0; i < count; ++i)
      size += pieces[i].iov_len;
    wrote(size);
    return true;
  }

  bool replace(uint64_t at, const void *data, size_t size) override
  {
    if (!flush())
      return false;
    const auto *p = static_cast<const uint8_t *>(data);
    while (size > 0) {
      const ssize_t n = ::pwrite(fd_, p, size, off_t(at));
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0) {
        error_ = n < 0 ? errno : EIO;
        return false;
      }
      p += n, at += uint64_t(n), size -= size_t(n);
    }
    return true;
  }

private:
  bool write(const void *data, size_t size)
  {
    if (!write_all(fd_, data, size)) {
      error_ = errno;
      return false;
    }
    wrote(size);
    return true;
  }

  void wrote(size_t size)
  {
    written_ += size;
#ifdef SYNC_FILE_RANGE_WRITE
    // The sync before the rename would wait for the whole file: the disk starts on
    // each few megabytes as soon as they are written, while the rest is encoded.
    if (written_ - started_ >= writeback_step) {
      ::sync_file_range(fd_, off_t(started_), off_t(written_ - started_), SYNC_FILE_RANGE_WRITE);
      started_ = written_;
    }
#endif
  }

  static constexpr uint64_t writeback_step = uint64_t(8) << 20;
  int fd_;
  int error_ = 0;
  uint64_t written_ = 0, started_ = 0;
  size_t used_ = 0;
  uint8_t buf_[1 << 16];
};

// The process's umask without changing it (umask() itself only sets): Linux
// reports it in /proc; elsewhere fall back to the set-and-restore idiom.
mode_t current_umask()
{
  if (FILE *f = std::fopen("/proc/self/status", "re")) {
    char line[256];
    while (std::fgets(line, sizeof line, f)) {
      unsigned mask = 0;
      if (std::sscanf(line, "Umask: %o", &mask) == 1) {
        std::fclose(f);
        return mode_t(mask);
      }
    }
    std::fclose(f);
  }
  const mode_t mask = ::umask(022);
  ::umask(mask);
  return mask;
}

} // namespace

Error read_file(const char *filename, FileData &out, const HeadCheck &check, Progress *progress)
{
  out = FileData{};
  if (!filename || !*filename)
    return msg::cannot_open;
  // A pipe, socket or device is no picture, and opening a pipe for reading would
  // wait for a writer: refuse it before opening. The open itself does not wait
  // either, and the check is repeated on what was opened, in case the name was
  // replaced in between.
  struct stat st;
  if (::stat(filename, &st) != 0 || !S_ISREG(st.st_mode))
    return msg::cannot_open;
  Fd fd(::open(filename, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.fd < 0)
    return msg::cannot_open;
  if (::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode))
    return msg::cannot_open;
  if (st.st_size == 0)
    return msg::empty_file;
  if (uint64_t(st.st_size) > max_file_bytes)
    return msg::file_too_large;

  const size_t size = size_t(st.st_size);
  FileData data;
  // At first only room for the head: the rest may never be needed.
  const size_t head = size < head_bytes ? size : head_bytes;
  data.bytes.reset(static_cast<uint8_t *>(std::malloc(head)));
  if (!data.bytes)
    return msg::no_memory;
  size_t got = 0;
  bool shrank = false;
  // Large files are read chunk by chunk, so the gauge moves while they come in.
  const bool in_chunks = progress && size > read_chunk;
  if (in_chunks)
    progress->span(0, 50);
  const auto read_up_to = [&](size_t limit) -> Error {
    while (got < limit) {
      const size_t want = limit - got < read_chunk ? limit - got : read_chunk;
      const ssize_t n = ::read(fd.fd, data.bytes.get() + got, want);
      if (n < 0) {
        if (errno == EINTR)
          continue;
        return msg::cannot_read;
      }
      if (n == 0) {
        shrank = true; // shrank while we read: decode what is there
        break;
      }
      got += size_t(n);
      if (in_chunks)
        progress->step(int64_t(got), int64_t(size));
    }
    return nullptr;
  };
  // The header may already tell that the file cannot be a picture we read, or
  // that its bytes cannot hold the picture it declares: then the rest (up to
  // gigabytes) is not read at all.
  if (Error e = read_up_to(head))
    return e;
  if (check && got > 0)
    if (Error e = check(data.bytes.get(), got, shrank ? got : uint64_t(size)))
      return e;
  if (!shrank && size > head) {
    // A new block rather than realloc, so the hint comes before any page is touched.
    uint8_t *whole = static_cast<uint8_t *>(std::malloc(size));
    if (!whole)
      return msg::no_memory;
    prefer_huge_pages(whole, size);
    std::memcpy(whole, data.bytes.get(), got);
    data.bytes.reset(whole);
    if (Error e = read_up_to(size))
      return e;
  }
  if (got == 0)
    return msg::empty_file;
  if (in_chunks)
    progress->span(50, 100);
  data.size = got;
  out = std::move(data);
  return nullptr;
}

namespace {

// The temporary file a save writes beside its target. Files of this name (the prefix
// plus mkstemp's six letters or digits) that are a day old and locked by no one were
// left by killed saves; nothing else in a folder is touched.
constexpr const char *temp_prefix = ".nuanza-tmp-";
constexpr time_t stale_temp_seconds = 24 * 60 * 60;

bool is_our_temp_name(const char *name)
{
  const size_t prefix = std::strlen(temp_prefix);
  if (std::strncmp(name, temp_prefix, prefix) != 0 || std::strlen(name) != prefix + 6)
    return false;
  for (const char *c = name + prefix; *c; ++c)
    if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')))
      return false;
  return true;
}

void remove_stale_temp_files(const char *folder)
{
  DIR *dir = ::opendir(folder);
  if (!dir)
    return;
  const int dfd = ::dirfd(dir);
  const time_t now = ::time(nullptr);
  while (const dirent *e = ::readdir(dir)) {
    if (!is_our_temp_name(e->d_name))
      continue;
    Fd fd(::openat(dfd, e->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    struct stat st;
    if (fd.fd < 0 || ::fstat(fd.fd, &st) != 0 || !S_ISREG(st.st_mode) || now - st.st_mtime < stale_temp_seconds)
      continue;
    // A save in progress holds its lock; a killed one left none behind.
    if (::flock(fd.fd, LOCK_EX | LOCK_NB) != 0)
      continue;
    // Remove only the file just checked, should the name have been replaced meanwhile.
    struct stat now_st;
    if (::fstatat(dfd, e->d_name, &now_st, AT_SYMLINK_NOFOLLOW) == 0 && now_st.st_dev == st.st_dev &&
        now_st.st_ino == st.st_ino)
      ::unlinkat(dfd, e->d_name, 0);
  }
  ::closedir(dir);
}

} // namespace

bool write_file_atomically(const char *target, const std::function<bool(Writer &)> &body)
{
  // Each failure leaves the system's reason in errno, or 0 when there was none
  // (an encoder that refused the picture); cleaning up must not overwrite it.
  errno = 0;
  if (!target || !*target)
    return false;

  // Replace what a symbolic link points to, not the link itself.
  std::string path = target;
  struct stat lst;
  if (::lstat(target, &lst) == 0 && S_ISLNK(lst.st_mode)) {
    char resolved[PATH_MAX];
    if (!::realpath(target, resolved))
      return false;
    path = resolved;
  }

  struct stat old;
  const bool exists = ::stat(path.c_str(), &old) == 0;
  if (exists && !S_ISREG(old.st_mode)) {
    errno = S_ISDIR(old.st_mode) ? EISDIR : 0;
    return false;
  }
  // The rename below needs only the folder's permission: a file the user has
  // write-protected would be replaced all the same.
  if (exists && ::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0)
    return false;

  const size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
  // Saves killed midway (kill -9, a file-size limit) leave their temporary files.
  remove_stale_temp_files(folder.c_str());
  std::string temp = folder + (folder == "/" ? "" : "/") + temp_prefix + "XXXXXX";

  Fd fd(::mkstemp(temp.data()));
  if (fd.fd < 0)
    return false;
  // Tells a concurrent save's clean-up that this file is in use.
  ::flock(fd.fd, LOCK_EX);

  const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~current_umask());
  int error = 0;
  bool ok = ::fchmod(fd.fd, mode) == 0;
  if (!ok) {
    error = errno;
  } else {
    FdWriter writer(fd.fd);
    ok = body(writer) && writer.flush();
    if (!ok)
      error = writer.error();
  }
  if (ok && ::fsync(fd.fd) != 0) {
    ok = false;
    error = errno;
  }
  const int raw = fd.release();
  if (::close(raw) != 0 && ok) {
    ok = false;
    error = errno;
  }
  if (ok && ::rename(temp.c_str(), path.c_str()) != 0) {
    ok = false;
    error = errno;
  }
  if (!ok) {
    ::unlink(temp.c_str());
    errno = error;
    return false;
  }

  // Make the rename itself durable; the file is complete either way.
  Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.fd >= 0)
    ::fsync(dir.fd);
  return true;
}

} // namespace bk3
