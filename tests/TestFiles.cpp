#include "tests/TestFiles.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>

namespace tarvelon::testing {

ScratchDir::ScratchDir() {
  std::random_device device;
  for (int attempt = 0; attempt < 100; ++attempt) {
    auto candidate = std::filesystem::temp_directory_path() / ("tarvelon-test-" + std::to_string(device()));
    if (std::filesystem::create_directory(candidate)) {
      path_ = candidate;
      return;
    }
  }
  throw std::runtime_error("cannot create a scratch folder");
}

ScratchDir::~ScratchDir() {
  std::error_code ec;
  // Leave nothing read-only behind that would stop the removal.
  for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
    std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
  }
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all, std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

AsOrdinaryUser::AsOrdinaryUser() {
  if (::geteuid() != 0) return;
  if (::setegid(65534) != 0 || ::seteuid(65534) != 0) throw std::runtime_error("cannot act as nobody");
}

AsOrdinaryUser::~AsOrdinaryUser() {
  if (::getuid() != 0) return;
  [[maybe_unused]] const int user = ::seteuid(0);
  [[maybe_unused]] const int group = ::setegid(0);
}

namespace {
bool setImmutable(const std::string& folder, bool on) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) return false;
  int flags = 0;
  bool done = ::ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
  if (done) {
    flags = on ? (flags | FS_IMMUTABLE_FL) : (flags & ~FS_IMMUTABLE_FL);
    done = ::ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
  }
  ::close(fd);
  return done;
}
}  // namespace

FrozenFolder::FrozenFolder(const std::string& folder) : folder_(folder) {
  if (::geteuid() == 0) {
    immutable_ = frozen_ = setImmutable(folder_, true);
  } else {
    frozen_ = ::chmod(folder_.c_str(), 0555) == 0;
  }
}

FrozenFolder::~FrozenFolder() {
  if (immutable_) {
    setImmutable(folder_, false);
  } else if (frozen_) {
    ::chmod(folder_.c_str(), 0755);
  }
}

FileSizeLimit::FileSizeLimit(rlim_t bytes) {
  ::getrlimit(RLIMIT_FSIZE, &saved_);
  handler_ = std::signal(SIGXFSZ, SIG_IGN);
  rlimit limit = saved_;
  limit.rlim_cur = bytes;
  ::setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit() {
  ::setrlimit(RLIMIT_FSIZE, &saved_);
  std::signal(SIGXFSZ, handler_);
}

std::vector<std::string> publishedTileNames() {
  std::vector<std::string> names;
  for (const char* latitude : {"00n", "44n", "44s", "88n"}) {
    for (const char* longitude : {"000", "090", "180", "270"}) {
      names.push_back(std::string("megt") + latitude + longitude + "hb.img");
    }
  }
  return names;
}

void makeSparseFile(const std::string& path, std::int64_t bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  if (fd < 0 || ::ftruncate(fd, bytes) != 0) throw std::runtime_error("cannot create " + path);
  ::close(fd);
}

void makePublishedTiles(const std::string& folder, std::int64_t bytes) {
  for (const std::string& name : publishedTileNames()) makeSparseFile(folder + "/" + name, bytes);
}

SparseTiles::SparseTiles() : scratch_(std::make_unique<ScratchDir>()), folder_(scratch_->str()) {
  makePublishedTiles(folder_);
  names_ = assignTileNames(publishedTileNames()).tiles;
}

SparseTiles::SparseTiles(const std::string& folder) : folder_(folder) {
  std::filesystem::create_directories(folder_);
  makePublishedTiles(folder_);
  names_ = assignTileNames(publishedTileNames()).tiles;
}

void SparseTiles::writeLine(int t, int line, const std::function<int(int column)>& sample) const {
  writeTileLine(tileFile(t), line, sample);
}

void SparseTiles::cutShort(int t, int lines) const {
  std::filesystem::resize_file(tileFile(t), std::uintmax_t(lines) * kBytesPerLine);
}

std::array<std::string, kTileCount> makeSparseTileSet(const std::string& folder) {
  std::array<std::string, kTileCount> names;
  for (int t = 0; t < kTileCount; ++t) {
    names[t] = "t" + std::to_string(t) + ".img";
    makeSparseFile(folder + "/" + names[t]);
  }
  return names;
}

void writeBytes(const std::string& path, std::int64_t offset, const std::vector<std::uint8_t>& bytes) {
  const int fd = ::open(path.c_str(), O_WRONLY);
  if (fd < 0) throw std::runtime_error("cannot open " + path);
  const ssize_t put = ::pwrite(fd, bytes.data(), bytes.size(), offset);
  ::close(fd);
  if (put != static_cast<ssize_t>(bytes.size())) throw std::runtime_error("cannot write " + path);
}

void writeTileLine(const std::string& path, int line, const std::function<int(int column)>& sample) {
  std::vector<std::uint8_t> bytes(kBytesPerLine);
  for (int j = 0; j < kSamplesPerLine; ++j) {
    const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(sample(j)));
    bytes[2 * j] = static_cast<std::uint8_t>(v >> 8);
    bytes[2 * j + 1] = static_cast<std::uint8_t>(v & 0xFF);
  }
  writeBytes(path, std::int64_t(line) * kBytesPerLine, bytes);
}

void writeText(const std::string& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace tarvelon::testing
