#include "core/AtomicFile.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string_view>

#include "core/MessageText.h"

namespace tarvelon {

namespace {

constexpr std::size_t kBufferSize = 1 << 20;
std::atomic<unsigned> temporaryCounter{0};

// The temporary names alive in this process, for the signal handler to
// remove. A slot goes free (0) -> being filled (1) -> live (2); the handler
// takes a live slot (3) before it reads the name, so the name cannot
// change under it, and a slot the handler took is never used again.
struct Slot {
  std::atomic<int> state{0};
  char name[PATH_MAX];
};
constexpr int kSlots = 64;
Slot slots[kSlots];

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};
constexpr int kSignalCount = sizeof kSignals / sizeof kSignals[0];
struct sigaction previousActions[kSignalCount];
std::once_flag handlersInstalled;

void removeTemporaries(int signal, siginfo_t* info, void* context) {
  const int savedErrno = errno;
  for (Slot& slot : slots) {
    int live = 2;
    if (slot.state.compare_exchange_strong(live, 3)) ::unlink(slot.name);
  }
  for (int i = 0; i < kSignalCount; ++i) {
    if (kSignals[i] != signal) continue;
    const struct sigaction& previous = previousActions[i];
    if ((previous.sa_flags & SA_SIGINFO) != 0 && previous.sa_sigaction != nullptr) {
      previous.sa_sigaction(signal, info, context);
    } else if ((previous.sa_flags & SA_SIGINFO) == 0 && previous.sa_handler != SIG_DFL &&
               previous.sa_handler != SIG_IGN) {
      previous.sa_handler(signal);
    } else {
      // The default action, once this handler returns: the signal stays
      // blocked until then.
      ::sigaction(signal, &previous, nullptr);
      ::raise(signal);
    }
  }
  errno = savedErrno;
}

void installHandlers() {
  for (int i = 0; i < kSignalCount; ++i) {
    if (::sigaction(kSignals[i], nullptr, &previousActions[i]) != 0) continue;
    // A signal the program ignores (nohup, a background job) stays ignored.
    if ((previousActions[i].sa_flags & SA_SIGINFO) == 0 && previousActions[i].sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_sigaction = removeTemporaries;
    action.sa_flags = SA_SIGINFO | SA_RESTART;
    sigemptyset(&action.sa_mask);
    ::sigaction(kSignals[i], &action, nullptr);
  }
}

// Puts `name` on the list; -1 when it does not fit or the list is full
// (the file is then not removed on a signal).
int registerTemporary(const std::string& name) {
  if (name.size() >= PATH_MAX) return -1;
  std::call_once(handlersInstalled, installHandlers);
  for (int i = 0; i < kSlots; ++i) {
    int free = 0;
    if (!slots[i].state.compare_exchange_strong(free, 1)) continue;
    std::memcpy(slots[i].name, name.c_str(), name.size() + 1);
    slots[i].state.store(2);
    return i;
  }
  return -1;
}

void unregisterTemporary(int& slot) {
  if (slot < 0) return;
  int live = 2;
  // A slot the handler took stays taken: the process is about to end.
  slots[slot].state.compare_exchange_strong(live, 0);
  slot = -1;
}

std::string folderOf(const std::string& path) {
  const auto slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string baseName(const std::string& path) {
  const auto slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The kernel's rule for links in a sticky folder anyone may write to
// (fs.protected_symlinks): followed only when the link belongs to the
// follower or to the folder's owner. Another user's link there could lead
// the write to any file this user may write.
void checkSharedFolderLink(const std::string& shown, const std::string& link, const struct stat& linkInfo) {
  struct stat folder {};
  if (::stat(folderOf(link).c_str(), &folder) != 0) return;
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  if (!shared || linkInfo.st_uid == ::geteuid() || linkInfo.st_uid == folder.st_uid) return;
  throw WriteError("Cannot write " + quote(shown) + ": " + quote(link) +
                   " is a symbolic link that another user (uid " + std::to_string(linkInfo.st_uid) +
                   ") placed in the shared folder " + quote(folderOf(link)) +
                   "; it is not followed. Nothing was written.");
}

// The longest temporary name's ending this process gives a file.
std::string longestTemporarySuffix() { return ".tmp-" + std::to_string(::getpid()) + "-4294967295"; }

// Refuses a name whose file or temporary file the folder cannot hold, so
// that it fails before any work rather than at the end.
void checkNameLength(const std::string& shown, const std::string& target) {
  long nameMax = ::pathconf(folderOf(target).c_str(), _PC_NAME_MAX);
  if (nameMax <= 0) nameMax = NAME_MAX;
  const std::size_t limit = static_cast<std::size_t>(nameMax);
  const std::size_t name = baseName(target).size();
  const std::size_t suffix = longestTemporarySuffix().size();
  if (name > limit) {
    throw WriteError("Cannot write " + quote(shown) + ": its name is " + std::to_string(name) + " bytes long, more than the " +
                     std::to_string(limit) + " bytes a name may have there. Nothing was written.");
  }
  if (name + suffix > limit) {
    throw WriteError("Cannot write " + quote(shown) + ": its name is " + std::to_string(name) +
                     " bytes long, too long for the temporary file written beside it (a name may have " +
                     std::to_string(limit) + " bytes there): choose a name of at most " +
                     std::to_string(limit - suffix) + " bytes. Nothing was written.");
  }
  if (target.size() + suffix >= PATH_MAX) {
    throw WriteError("Cannot write " + quote(shown) + ": its path is " + std::to_string(target.size()) +
                     " bytes long, too long to be written. Nothing was written.");
  }
}

// `path` with its symbolic links followed to the file they lead to, which
// need not exist.
std::string followLinks(const std::string& path) {
  std::string current = path;
  for (int hops = 0; hops < 40; ++hops) {
    struct stat link {};
    if (::lstat(current.c_str(), &link) != 0 || !S_ISLNK(link.st_mode)) return current;
    checkSharedFolderLink(path, current, link);
    std::vector<char> target(PATH_MAX);
    const ssize_t length = ::readlink(current.c_str(), target.data(), target.size());
    if (length <= 0 || static_cast<std::size_t>(length) >= target.size()) return current;
    std::string next(target.data(), static_cast<std::size_t>(length));
    if (next.front() != '/' && current.find('/') != std::string::npos) next = folderOf(current) + "/" + next;
    current = next;
  }
  throw WriteError("Cannot write " + quote(path) + ": it is a loop of symbolic links. Nothing was written.");
}

bool canLinkOpenFiles() { return ::access("/proc/self/fd", X_OK) == 0; }

std::string octal(mode_t mode) {
  char text[8];
  std::snprintf(text, sizeof text, "%04o", static_cast<unsigned>(mode & 07777));
  return text;
}

// An exclusive lock on a folder while a set of files is published there,
// so that two writers of one set take turns. A folder that cannot be
// opened for it (no read permission) is published in without one.
class FolderLock {
 public:
  explicit FolderLock(const std::string& folder) : fd_(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
    while (fd_ >= 0 && ::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
    }
  }
  ~FolderLock() {
    if (fd_ >= 0) ::close(fd_);
  }
  FolderLock(const FolderLock&) = delete;
  FolderLock& operator=(const FolderLock&) = delete;

 private:
  int fd_;
};

// SIGINT, SIGTERM and SIGHUP wait while a set is published: their handler
// would end the program between two of its steps.
class SignalsHeld {
 public:
  SignalsHeld() {
    sigset_t held;
    sigemptyset(&held);
    for (int signal : kSignals) sigaddset(&held, signal);
    ::pthread_sigmask(SIG_BLOCK, &held, &previous_);
  }
  ~SignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;

 private:
  sigset_t previous_;
};

constexpr const char* kBackupMark = ".old-";

// The process number that `text` starts with, when that process no longer
// runs; 0 otherwise.
pid_t deadProcess(std::string_view text) {
  pid_t pid = 0;
  std::size_t digits = 0;
  for (; digits < text.size() && digits < 10 && text[digits] >= '0' && text[digits] <= '9'; ++digits) {
    pid = pid * 10 + (text[digits] - '0');
  }
  if (digits == 0 || (digits < text.size() && text[digits] != '-') || pid <= 0 || pid == ::getpid()) return 0;
  return ::kill(pid, 0) != 0 && errno == ESRCH ? pid : 0;
}

}  // namespace

AtomicFile::AtomicFile(std::string path, Temporary temporary) : path_(std::move(path)) {
  target_ = followLinks(path_);
  checkNameLength(path_, target_);
  struct stat existing {};
  const bool replacing = ::stat(target_.c_str(), &existing) == 0;
  if (replacing) {
    if (S_ISDIR(existing.st_mode)) {
      throw WriteError("Cannot write " + quote(path_) + ": it is a folder. Nothing was written.");
    }
    if (!S_ISREG(existing.st_mode)) {
      throw WriteError("Cannot write " + quote(path_) + ": it is not an ordinary file. Nothing was written.");
    }
    if (::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
      const int error = errno;
      if (error == EACCES || error == EPERM) {
        throw WriteError("Cannot replace " + quote(path_) + ": the file is read-only (permissions " +
                         octal(existing.st_mode) + "). The file was not changed.");
      }
      if (error == EROFS) {
        throw WriteError("Cannot replace " + quote(path_) + ": it lies on a read-only file system.");
      }
    }
  }
  const std::string folder = folderOf(target_);
  if (temporary == Temporary::Unnamed && canLinkOpenFiles()) {
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    const int error = errno;
    if (fd_ >= 0) {
      unnamed_ = true;
    } else if (error != EOPNOTSUPP && error != EISDIR && error != EINVAL) {
      // Not a file system without unnamed files: a real failure.
      throw WriteError("Cannot write " + quote(path_) + ": " + std::strerror(error));
    }
  }
  if (!unnamed_) openNamed();
  if (replacing) {
    // The new file takes the old one's owner where it may, then its bits.
    if (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid()) {
      [[maybe_unused]] const int ignored = ::fchown(fd_, existing.st_uid, existing.st_gid);
    }
    ::fchmod(fd_, existing.st_mode & 07777);
  }
  buffer_.reserve(kBufferSize);
}

void AtomicFile::openNamed() {
  for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    temporary_ = target_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(temporaryCounter++);
    fd_ = ::open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) break;
  }
  if (fd_ < 0) {
    const int error = errno;
    temporary_.clear();
    throw WriteError("Cannot write " + quote(path_) + ": " + std::strerror(error));
  }
  registered_ = registerTemporary(temporary_);
}

AtomicFile::~AtomicFile() {
  closeFile();
  if (!committed_ && !temporary_.empty()) ::unlink(temporary_.c_str());
  unregisterTemporary(registered_);
}

void AtomicFile::closeFile() {
  if (fd_ >= 0) ::close(fd_);
  fd_ = -1;
}

void AtomicFile::fail(const std::string& what, int error) {
  throw WriteError(what + " " + quote(path_) + ": " + std::strerror(error) + ". The file was not changed.");
}

void AtomicFile::flush() {
  std::size_t done = 0;
  while (done < buffer_.size()) {
    const ssize_t put = ::write(fd_, buffer_.data() + done, buffer_.size() - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      fail("Cannot write", errno);
    }
    done += static_cast<std::size_t>(put);
  }
  buffer_.clear();
}

void AtomicFile::write(const void* data, std::size_t size) {
  const char* bytes = static_cast<const char*>(data);
  while (size > 0) {
    const std::size_t room = kBufferSize - buffer_.size();
    const std::size_t take = size < room ? size : room;
    buffer_.insert(buffer_.end(), bytes, bytes + take);
    bytes += take;
    size -= take;
    if (buffer_.size() == kBufferSize) flush();
  }
}

void AtomicFile::writeAt(std::int64_t offset, const Piece* pieces, int count) {
  std::vector<iovec> parts;
  parts.reserve(static_cast<std::size_t>(count));
  for (int i = 0; i < count; ++i) {
    if (pieces[i].size > 0) parts.push_back(iovec{const_cast<void*>(pieces[i].data), pieces[i].size});
  }
  std::size_t first = 0;
  while (first < parts.size()) {
    const int batch = static_cast<int>(std::min<std::size_t>(parts.size() - first, IOV_MAX));
    const ssize_t put = ::pwritev(fd_, parts.data() + first, batch, offset);
    if (put < 0) {
      if (errno == EINTR) continue;
      fail("Cannot write", errno);
    }
    offset += put;
    // Step over the pieces written whole, and into a piece written in part.
    auto left = static_cast<std::size_t>(put);
    while (first < parts.size() && left >= parts[first].iov_len) left -= parts[first++].iov_len;
    if (left > 0) {
      parts[first].iov_base = static_cast<char*>(parts[first].iov_base) + left;
      parts[first].iov_len -= left;
    }
  }
}

void AtomicFile::allocate(std::int64_t size) {
  if (size <= 0) return;
  const int error = ::posix_fallocate(fd_, 0, static_cast<off_t>(size));
  if (error == EINVAL || error == EOPNOTSUPP) {
    // A file system without allocation: the size alone, checked at write.
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) fail("Cannot write", errno);
    return;
  }
  if (error != 0) fail("Cannot write", error);
}

void AtomicFile::finish(bool sync) {
  if (finished_ || fd_ < 0) return;
  flush();
  if (sync && ::fsync(fd_) != 0) fail("Cannot write", errno);
  // A file with no name lives only as long as it is open: it stays open
  // until publish() gives it one.
  if (!unnamed_) {
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) fail("Cannot write", errno);
  }
  finished_ = true;
}

bool AtomicFile::linkAs(const std::string& name) {
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) return true;
  if (errno != ENOENT) return false;
  return ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0;
}

void AtomicFile::publish() {
  if (committed_) return;
  finish(false);
  if (unnamed_) {
    // Nothing there yet: the file takes its name at once.
    struct stat existing {};
    if (::lstat(target_.c_str(), &existing) != 0 && errno == ENOENT) {
      if (linkAs(target_)) {
        committed_ = true;
        closeFile();
        return;
      }
      if (errno != EEXIST) fail("Cannot write", errno);
    }
    // Otherwise under a temporary name, renamed over the old file.
    for (int attempt = 0; attempt < 100 && temporary_.empty(); ++attempt) {
      const std::string name =
          target_ + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(temporaryCounter++);
      if (linkAs(name)) {
        temporary_ = name;
        registered_ = registerTemporary(temporary_);
      } else if (errno != EEXIST) {
        fail("Cannot write", errno);
      }
    }
    if (temporary_.empty()) fail("Cannot write", EEXIST);
    closeFile();
  }
  if (std::rename(temporary_.c_str(), target_.c_str()) != 0) fail("Cannot replace", errno);
  committed_ = true;
  unregisterTemporary(registered_);
  temporary_.clear();
}

void AtomicFile::publishTogether(const std::vector<AtomicFile*>& files) {
  if (files.empty()) return;
  for (AtomicFile* file : files) file->finish(false);
  const std::size_t count = files.size();
  AtomicFile& main = *files.back();
  const SignalsHeld held;
  const FolderLock lock(folderOf(main.target_));

  // What a writer of this set that died midway left: its backups go back
  // in place when its main file never appeared, else they go; its
  // temporary files go.
  if (DIR* dir = ::opendir(folderOf(main.target_).c_str())) {
    std::vector<std::pair<pid_t, std::vector<std::string>>> dead;  // backups by file, per process
    while (const dirent* entry = ::readdir(dir)) {
      const std::string_view name = entry->d_name;
      for (std::size_t i = 0; i < count; ++i) {
        const std::string base = baseName(files[i]->target_);
        if (name.size() <= base.size() || name.substr(0, base.size()) != base) continue;
        const std::string_view rest = name.substr(base.size());
        const std::string inFolder = folderOf(files[i]->target_) + "/" + std::string(name);
        if (rest.substr(0, 5) == ".tmp-" && rest.find('-', 5) != std::string_view::npos && deadProcess(rest.substr(5))) {
          ::unlink(inFolder.c_str());
        } else if (rest.substr(0, 5) == kBackupMark && rest.size() > 5 &&
                   rest.find_first_not_of("0123456789", 5) == std::string_view::npos) {
          if (const pid_t pid = deadProcess(rest.substr(5))) {
            auto group = std::find_if(dead.begin(), dead.end(), [&](const auto& g) { return g.first == pid; });
            if (group == dead.end()) group = dead.insert(dead.end(), {pid, std::vector<std::string>(count)});
            group->second[i] = inFolder;
          }
        }
      }
    }
    ::closedir(dir);
    for (const auto& [pid, backups] : dead) {
      struct stat mainFile {};
      const bool published = ::lstat(main.target_.c_str(), &mainFile) == 0;
      for (std::size_t i = 0; i < count; ++i) {
        if (backups[i].empty()) continue;
        if (published) {
          ::unlink(backups[i].c_str());
        } else {
          ::rename(backups[i].c_str(), files[i]->target_.c_str());
        }
      }
    }
  }

  const std::string backupEnd = kBackupMark + std::to_string(::getpid());
  std::vector<std::string> backups(count);
  std::vector<bool> placed(count, false);
  auto undo = [&](const std::string& message) {
    for (std::size_t i = 0; i < count; ++i) {
      if (placed[i]) ::unlink(files[i]->target_.c_str());
    }
    bool putBack = false;
    for (std::size_t i = 0; i < count; ++i) {
      if (!backups[i].empty()) putBack = ::rename(backups[i].c_str(), files[i]->target_.c_str()) == 0 || putBack;
    }
    throw WriteError(message + (putBack ? " The old files are back in place." : ""));
  };
  // The old files step aside, the main file first: while it is missing,
  // the set is being replaced.
  for (std::size_t k = 0; k < count; ++k) {
    const std::size_t i = k == 0 ? count - 1 : k - 1;
    AtomicFile& file = *files[i];
    struct stat old {};
    if (::lstat(file.target_.c_str(), &old) != 0) continue;
    const std::string backup = file.target_ + backupEnd;
    if (::rename(file.target_.c_str(), backup.c_str()) != 0) {
      undo("Cannot replace " + quote(file.path_) + ": " + std::strerror(errno) + ".");
    }
    backups[i] = backup;
  }
  // The new files take their names, the main file last.
  for (std::size_t i = 0; i < count; ++i) {
    try {
      files[i]->publish();
    } catch (const WriteError& error) {
      undo(error.what());
    }
    placed[i] = true;
  }
  for (const std::string& backup : backups) {
    if (!backup.empty()) ::unlink(backup.c_str());
  }
}

void AtomicFile::commit(bool sync) {
  finish(sync);
  publish();
}

}  // namespace tarvelon
