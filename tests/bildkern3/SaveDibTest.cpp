// SaveDib replaces a file only when the new one is complete: a failure leaves the
// old file as it was and no temporary file behind; permissions are kept.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <csignal>
#include <ctime>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>

using namespace bk3test;

namespace {

const Bytes old_content = {'a', 'l', 't'};

struct SaveDibFailure : ::testing::Test {
  Picture pic;
  TempDir dir;
  std::string target = dir.file("bild.bmp");
  void SetUp() override
  {
    newdib(&pic.get(), 300, 300, 24, nullptr, 0); // about 270 kB
    ASSERT_TRUE(write_file(target, old_content));
  }
  void TearDown() override
  {
    EXPECT_EQ(read_file(target), old_content);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"bild.bmp"});
  }
};

mode_t mode_of(const std::string &path)
{
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

} // namespace

TEST_F(SaveDibFailure, UnwritableFolder)
{
  ASSERT_EQ(::chmod(dir.path.c_str(), 0555), 0);
  int32_t result = -1;
  if (::geteuid() != 0) {
    result = SaveDib(pic.get(), target.c_str(), BK3_FORMAT_BMP, nullptr);
  } else { // root writes anywhere: try as an ordinary user
    const pid_t child = ::fork();
    if (child == 0)
      ::_exit(::setgid(65534) || ::setuid(65534) ? 100 : SaveDib(pic.get(), target.c_str(), BK3_FORMAT_BMP, nullptr));
    int status = 0;
    ::waitpid(child, &status, 0);
    result = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  ::chmod(dir.path.c_str(), 0755);
  EXPECT_EQ(result, 0);
}

TEST_F(SaveDibFailure, WriteErrorHalfway)
{
  // A file-size limit makes writing fail after 64 kB, for root as well.
  rlimit saved{};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  rlimit small = saved;
  small.rlim_cur = 64 * 1024;
  auto previous = std::signal(SIGXFSZ, SIG_IGN);
  // Noise, so that the run-length formats do not shrink it below the limit; their
  // rows go out in pieces, of which the one across the limit is written in part.
  for (int64_t i = 0; i < int64_t(pic->bytew) * 300; ++i)
    pic->poi[i] = uint8_t(i * 2654435761u >> 13);
  ::setrlimit(RLIMIT_FSIZE, &small);
  for (int32_t format : {BK3_FORMAT_BMP, BK3_FORMAT_IFF, BK3_FORMAT_PCX, BK3_FORMAT_TGA})
    EXPECT_EQ(SaveDib(pic.get(), target.c_str(), format, nullptr), 0) << format;
  ::setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, previous);
}

TEST_F(SaveDibFailure, TargetIsAFolderOrInAMissingOne)
{
  ASSERT_EQ(::rename(target.c_str(), dir.file("x").c_str()), 0);
  ASSERT_EQ(::mkdir(target.c_str(), 0755), 0);
  EXPECT_EQ(SaveDib(pic.get(), target.c_str(), BK3_FORMAT_BMP, nullptr), 0);
  EXPECT_EQ(SaveDib(pic.get(), dir.file("fehlt/b.bmp").c_str(), BK3_FORMAT_BMP, nullptr), 0);
  ::rmdir(target.c_str());
  ::rename(dir.file("x").c_str(), target.c_str());
}

// The rename would need only the folder's permission; the file's own decides.
TEST_F(SaveDibFailure, WriteProtectedTargetStays)
{
  if (::geteuid() == 0)
    GTEST_SKIP() << "run as root: file permissions do not stop writes, nothing to check";
  for (const mode_t mode : {mode_t(0444), mode_t(0400), mode_t(0555)}) {
    ASSERT_EQ(::chmod(target.c_str(), mode), 0);
    EXPECT_EQ(SaveDib(pic.get(), target.c_str(), BK3_FORMAT_BMP, nullptr), 0) << std::oct << mode;
    EXPECT_EQ(mode_of(target), mode);
  }
}

TEST(SaveDibPermissions, ExistingFileKeepsItsModeNewFileFollowsTheUmaskLinksStayLinks)
{
  Picture pic;
  newdib(&pic.get(), 4, 4, 24, nullptr, 0);
  TempDir dir;
  const std::string existing = dir.file("alt.bmp"), fresh = dir.file("neu.bmp");
  ASSERT_TRUE(write_file(existing, old_content));
  // A mode the umask cannot give: a save that ignores the old mode shows.
  ASSERT_EQ(::chmod(existing.c_str(), 0604), 0);
  const mode_t saved = ::umask(027);
  const int32_t a = SaveDib(pic.get(), existing.c_str(), BK3_FORMAT_BMP, nullptr);
  const int32_t b = SaveDib(pic.get(), fresh.c_str(), BK3_FORMAT_BMP, nullptr);
  ::umask(saved);
  EXPECT_EQ(a + b, 2);
  EXPECT_EQ(mode_of(existing), mode_t(0604));
  EXPECT_EQ(mode_of(fresh), mode_t(0666 & ~027));
  EXPECT_NE(read_file(existing), old_content);

  // Saving through a symbolic link writes the file it points to.
  ASSERT_EQ(::symlink("alt.bmp", dir.file("verweis.bmp").c_str()), 0);
  ASSERT_TRUE(write_file(existing, old_content));
  EXPECT_EQ(SaveDib(pic.get(), dir.file("verweis.bmp").c_str(), BK3_FORMAT_BMP, nullptr), 1);
  struct stat st {};
  EXPECT_TRUE(::lstat(dir.file("verweis.bmp").c_str(), &st) == 0 && S_ISLNK(st.st_mode));
  EXPECT_NE(read_file(existing), old_content);
}

TEST(SaveDibLeftovers, OldUnlockedTemporaryFilesOfOursAreRemovedNothingElse)
{
  // What killed saves left behind: only the old, unlocked file of our name may go.
  Picture pic;
  newdib(&pic.get(), 8, 8, 24, nullptr, 0);
  TempDir dir;
  const std::vector<std::string> kept = {".nuanza-tmp-fresh1", ".nuanza-tmp-lockd1", ".nuanza-tmp-abc12",
                                         ".bildkern3-old123", "nuanza-tmp-abc123", "bild.bmp"};
  for (const std::string &name : kept)
    ASSERT_TRUE(write_file(dir.file(name), old_content));
  ASSERT_TRUE(write_file(dir.file(".nuanza-tmp-old123"), old_content));
  const timespec two_days_ago[2] = {{::time(nullptr) - 2 * 86400, 0}, {::time(nullptr) - 2 * 86400, 0}};
  for (const std::string &name : kept) {
    if (name != ".nuanza-tmp-fresh1") {
      ASSERT_EQ(::utimensat(AT_FDCWD, dir.file(name).c_str(), two_days_ago, 0), 0);
    }
  }
  ASSERT_EQ(::utimensat(AT_FDCWD, dir.file(".nuanza-tmp-old123").c_str(), two_days_ago, 0), 0);
  const int locked = ::open(dir.file(".nuanza-tmp-lockd1").c_str(), O_RDONLY | O_CLOEXEC);
  ASSERT_EQ(::flock(locked, LOCK_EX), 0);

  EXPECT_NE(SaveDib(pic.get(), dir.file("bild.bmp").c_str(), BK3_FORMAT_BMP, nullptr), 0);
  ::close(locked);

  std::vector<std::string> left = dir.entries();
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected = kept;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
}
