// Replacing a file: nothing changes until the end, nothing is left behind
// when the program is interrupted, and a replaced file stays what it was
// to its links and its permissions.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <functional>

#include "core/AtomicFile.h"
#include "tests/TestFiles.h"

namespace tarvelon {
namespace {

using testing::ScratchDir;
using Temporary = AtomicFile::Temporary;
namespace fs = std::filesystem;

std::vector<std::string> entries(const ScratchDir& dir) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir.path())) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

bool unnamedFilesWork(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_TMPFILE | O_WRONLY, 0600);
  if (fd < 0) return false;
  ::close(fd);
  return true;
}

// Runs `body` in a child process: the signal that ended it, or 0 when it
// returned.
int endOfChild(const std::function<void()>& body) {
  std::fflush(nullptr);
  const pid_t pid = ::fork();
  if (pid == 0) {
    body();
    ::_exit(0);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFSIGNALED(status) ? WTERMSIG(status) : -WEXITSTATUS(status) - 1000 * !WIFEXITED(status);
}

unsigned permissionsOf(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(AtomicFile, TheNewFileAppearsWholeOnlyWhenPublished) {
  ScratchDir dir;
  const auto path = dir.file("map.bmp");
  testing::writeText(path, "old");
  AtomicFile file(path);
  EXPECT_EQ(file.unnamed(), unnamedFilesWork(dir.str()));
  // The streaming writer's way: the size first, then rows at their offsets.
  file.allocate(12);
  file.write("head");
  const AtomicFile::Piece pieces[2] = {{"ro", 2}, {"ws", 2}};
  file.writeAt(8, pieces, 2);
  file.writeAt(4, pieces + 1, 1);
  file.finish();
  if (file.unnamed()) {
    EXPECT_EQ(entries(dir), std::vector<std::string>{"map.bmp"});
  }
  EXPECT_EQ(testing::readText(path), "old");
  file.publish();
  EXPECT_EQ(testing::readText(path), std::string("headws\0\0rows", 12));
  EXPECT_EQ(entries(dir), std::vector<std::string>{"map.bmp"});

  // A file that was not there takes its name at once; one given up leaves nothing.
  for (Temporary temporary : {Temporary::Unnamed, Temporary::Named}) {
    {
      AtomicFile fresh(dir.file("new.txt"), temporary);
      fresh.write("new");
      fresh.commit(false);
    }
    EXPECT_EQ(testing::readText(dir.file("new.txt")), "new");
    { AtomicFile dropped(dir.file("dropped.txt"), temporary); dropped.write("x"); }
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"map.bmp", "new.txt"}));
    fs::remove(dir.file("new.txt"));
  }
}

TEST(AtomicFile, AnInterruptedWriteLeavesOnlyTheOldFile) {
  ScratchDir dir;
  const auto path = dir.file("map.bmp");
  testing::writeText(path, "old");
  struct Case {
    Temporary temporary;
    int signal;
  };
  std::vector<Case> cases = {{Temporary::Named, SIGINT}, {Temporary::Named, SIGTERM}, {Temporary::Named, SIGHUP},
                             {Temporary::Unnamed, SIGTERM}};
  // Only a file with no name survives nothing, not even SIGKILL.
  if (unnamedFilesWork(dir.str())) cases.push_back({Temporary::Unnamed, SIGKILL});
  for (const Case& c : cases) {
    const int ended = endOfChild([&] {
      AtomicFile file(path, c.temporary);
      file.allocate(64 << 20);
      file.write(std::string(1 << 20, 'n'));
      file.finish(false);
      ::kill(::getpid(), c.signal);
      ::pause();
    });
    EXPECT_EQ(ended, c.signal) << strsignal(c.signal);
    EXPECT_EQ(entries(dir), std::vector<std::string>{"map.bmp"}) << strsignal(c.signal);
    EXPECT_EQ(testing::readText(path), "old");
  }
  // A signal the program ignores stays ignored, and the write goes on.
  const int ended = endOfChild([&] {
    ::signal(SIGINT, SIG_IGN);
    AtomicFile file(path, Temporary::Named);
    file.write("new");
    ::kill(::getpid(), SIGINT);
    file.commit(false);
  });
  EXPECT_EQ(ended, 0);
  EXPECT_EQ(testing::readText(path), "new");
}

TEST(AtomicFile, ReplacingFollowsLinksAndKeepsPermissionBits) {
  const mode_t oldMask = ::umask(022);
  for (Temporary temporary : {Temporary::Unnamed, Temporary::Named}) {
    ScratchDir dir;
    fs::create_directory(dir.file("maps"));
    const auto real = dir.file("maps/real.bmp");
    testing::writeText(real, "old");
    ::chmod(real.c_str(), 0640);
    fs::create_symlink("maps/real.bmp", dir.file("link.bmp"));
    fs::create_symlink("link.bmp", dir.file("link2.bmp"));
    {
      AtomicFile file(dir.file("link2.bmp"), temporary);
      file.write("new");
      file.commit();
    }
    EXPECT_TRUE(fs::is_symlink(dir.file("link.bmp")));
    EXPECT_TRUE(fs::is_symlink(dir.file("link2.bmp")));
    EXPECT_EQ(testing::readText(real), "new");
    EXPECT_EQ(permissionsOf(real), 0640u);
    EXPECT_EQ(entries(dir), (std::vector<std::string>{"link.bmp", "link2.bmp", "maps"}));

    // A link to nothing makes the file it names; a new file takes the umask.
    fs::create_symlink("maps/made.bmp", dir.file("ghost.bmp"));
    {
      AtomicFile file(dir.file("ghost.bmp"), temporary);
      file.write("made");
      file.commit();
    }
    EXPECT_TRUE(fs::is_symlink(dir.file("ghost.bmp")));
    EXPECT_EQ(testing::readText(dir.file("maps/made.bmp")), "made");
    EXPECT_EQ(permissionsOf(dir.file("maps/made.bmp")), 0644u);

    fs::create_symlink("loop.bmp", dir.file("loop.bmp"));
    try {
      AtomicFile file(dir.file("loop.bmp"), temporary);
      ADD_FAILURE() << "a loop of links was opened";
    } catch (const WriteError& error) {
      EXPECT_NE(std::string(error.what()).find("loop.bmp\": it is a loop of symbolic links"), std::string::npos)
          << error.what();
    }
    EXPECT_TRUE(fs::is_symlink(dir.file("loop.bmp")));
  }
  ::umask(oldMask);
}

TEST(AtomicFile, RefusesWhatItMustNotReplace) {
  ScratchDir dir;
  ::chmod(dir.str().c_str(), 0777);
  const auto locked = dir.file("locked.bmp");
  testing::writeText(locked, "old");
  ::chmod(locked.c_str(), 0444);
  {
    // A user who could not write the file does not replace it.
    testing::AsOrdinaryUser user;
    for (Temporary temporary : {Temporary::Unnamed, Temporary::Named}) {
      try {
        AtomicFile file(locked, temporary);
        ADD_FAILURE() << "a read-only file was opened for replacing";
      } catch (const WriteError& error) {
        EXPECT_NE(std::string(error.what()).find("Cannot replace \"" + locked + "\": the file is read-only "
                                                 "(permissions 0444). The file was not changed."),
                  std::string::npos)
            << error.what();
      }
    }
  }
  EXPECT_EQ(testing::readText(locked), "old");
  EXPECT_EQ(entries(dir), std::vector<std::string>{"locked.bmp"});

  fs::create_directory(dir.file("folder.bmp"));
  ::mkfifo(dir.file("pipe.bmp").c_str(), 0644);
  for (const char* name : {"folder.bmp", "pipe.bmp"}) {
    try {
      AtomicFile file(dir.file(name));
      ADD_FAILURE() << name << " was opened for replacing";
    } catch (const WriteError& error) {
      EXPECT_NE(std::string(error.what()).find(name[0] == 'f' ? "it is a folder" : "it is not an ordinary file"),
                std::string::npos)
          << error.what();
    }
  }
  EXPECT_TRUE(fs::is_directory(dir.file("folder.bmp")));
  EXPECT_TRUE(fs::is_fifo(dir.file("pipe.bmp")));
  EXPECT_EQ(entries(dir), (std::vector<std::string>{"folder.bmp", "locked.bmp", "pipe.bmp"}));
}

}  // namespace
// Another user's link in a sticky folder anyone may write to is not
// followed; a link of this user or of the folder's owner is.
TEST(AtomicFile, LinksOfOthersInSharedStickyFoldersAreRefused) {
  ScratchDir dir;
  const std::string shared = dir.file("shared");
  std::filesystem::create_directory(shared);
  ASSERT_EQ(::chmod(shared.c_str(), 01777), 0);
  testing::writeText(dir.file("victim"), "only root may write this");
  const std::string link = shared + "/x.bpw";
  std::filesystem::create_symlink(dir.file("victim"), link);
  if (::geteuid() != 0) GTEST_SKIP() << "giving a link to another user needs root";
  ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
  try {
    AtomicFile file(link);
    FAIL() << "followed another user's link";
  } catch (const WriteError& error) {
    EXPECT_NE(std::string(error.what()).find("is a symbolic link that another user (uid 65534) placed in the shared folder"),
              std::string::npos)
        << error.what();
  }
  EXPECT_EQ(testing::readText(dir.file("victim")), "only root may write this");
  // The folder's owner's link, and this user's, are followed.
  ASSERT_EQ(::chown(shared.c_str(), 65534, 65534), 0);
  {
    AtomicFile file(link);
    file.write("owner's link");
    file.commit();
  }
  EXPECT_EQ(testing::readText(dir.file("victim")), "owner's link");
  ASSERT_EQ(::chown(shared.c_str(), 0, 0), 0);
  ASSERT_EQ(::lchown(link.c_str(), 0, 0), 0);
  {
    AtomicFile file(link);
    file.write("own link");
    file.commit();
  }
  EXPECT_EQ(testing::readText(dir.file("victim")), "own link");
  // Outside a sticky folder, any link is followed as before.
  ASSERT_EQ(::chmod(shared.c_str(), 0777), 0);
  ASSERT_EQ(::lchown(link.c_str(), 65534, 65534), 0);
  AtomicFile file(link);
}

TEST(AtomicFile, NamesTooLongForTheirTemporaryNameAreRefusedAtOnce) {
  ScratchDir dir;
  auto refusal = [&](std::size_t length) {
    try {
      AtomicFile file(dir.file(std::string(length - 4, 'n') + ".bmp"));
    } catch (const WriteError& error) {
      return std::string(error.what());
    }
    return std::string();
  };
  EXPECT_NE(refusal(256).find("bytes long, more than the 255 bytes a name may have there"), std::string::npos);
  EXPECT_NE(refusal(240).find("too long for the temporary file written beside it"), std::string::npos);
  EXPECT_EQ(refusal(200), "");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 0);
}

}  // namespace tarvelon
