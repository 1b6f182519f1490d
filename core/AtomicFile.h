// Writing a file so that a failure never harms the file it replaces, and
// an interrupted write leaves nothing behind: the bytes wait in a file of
// their own beside the target, which takes the target's place at the end.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace tarvelon {

class WriteError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// What replacing a file means here: a symbolic link is followed and the
// file it leads to is replaced, the link stays (but in a sticky folder
// anyone may write to, such as /tmp, only a link of this user or of the
// folder's owner is followed, as the kernel's protected_symlinks rule
// does; another's link is refused); the new file keeps the old
// one's permission bits (and its owner, where the user may give it); a
// file this user may not write, a folder or anything but an ordinary file
// is refused before anything is written, as is a name too long for its
// temporary name beside it.
class AtomicFile {
 public:
  // Where the bytes wait until publish(). Unnamed: in a file with no name
  // (O_TMPFILE) where the file system offers it, which vanishes however the
  // program ends, even by SIGKILL; otherwise, and with Named, under a
  // temporary name beside the target, removed on SIGINT, SIGTERM and SIGHUP.
  enum class Temporary { Unnamed, Named };

  // Creates the temporary file beside `path`; throws WriteError.
  explicit AtomicFile(std::string path, Temporary temporary = Temporary::Unnamed);
  // Removes the temporary file unless commit() succeeded.
  ~AtomicFile();
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Buffered; throws WriteError (a full disk, for instance).
  void write(const void* data, std::size_t size);
  void write(const std::string& text) { write(text.data(), text.size()); }
  // Unbuffered write of `count` pieces, one after another, at `offset` in
  // the file, whatever has been written so far.
  struct Piece {
    const void* data;
    std::size_t size;
  };
  void writeAt(std::int64_t offset, const Piece* pieces, int count);
  // Reserves `size` bytes of disk for the file up front, so that a full
  // disk shows before any work is done rather than part way through.
  // Throws WriteError.
  void allocate(std::int64_t size);
  // Flushes, closes and moves into place. With `sync` the bytes reach the
  // disk first.
  void commit(bool sync = true);
  // commit() in two steps, for a set of files that should all appear
  // together: finish() writes everything out, publish() moves into place.
  void finish(bool sync = true);
  void publish();

  // Publishes a set of finished (or unfinished) files that belong
  // together, the main file last: a map after its world file and .prj.
  // Holding a lock on the main file's folder, so that two writers of one
  // set take turns, the old files of the set step aside under backup names
  // (NAME.old-PID), the main file first; the new files then take their
  // names, the main file last; the backups go. Whenever the main file is
  // there, the rest of the set is its own. When a step fails, the new files
  // go and the old ones come back, and WriteError says why. A writer killed
  // midway leaves its backups, which the next publish of the set under the
  // same names puts back (main file missing) or removes (main file there),
  // along with the temporary names a dead writer left.
  static void publishTogether(const std::vector<AtomicFile*>& files);

  const std::string& path() const { return path_; }
  // True while the bytes wait in a file with no name.
  bool unnamed() const { return unnamed_; }

 private:
  void flush();
  [[noreturn]] void fail(const std::string& what, int error);
  void openNamed();
  bool linkAs(const std::string& name);
  void closeFile();
  bool place(int& error);

  std::string path_;       // as given, for messages
  std::string target_;     // the file replaced: path_ with its links followed
  std::string temporary_;  // the temporary name, while there is one
  int fd_ = -1;
  int registered_ = -1;  // slot of temporary_ in the list removed on a signal
  bool unnamed_ = false;
  bool finished_ = false;
  bool committed_ = false;
  std::vector<char> buffer_;
};

}  // namespace tarvelon
