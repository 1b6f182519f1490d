// Reads a compiled HTML help file (.chm) with chmlib: its pages and
// pictures, its default topic, title and table of contents. Every chmlib
// result is checked; a file that is missing, empty, truncated or damaged is
// refused with a reason that can be shown to the user.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct chmFile;

namespace tarvelon {

// One entry of the table of contents: its caption, the page it opens
// (a path inside the file, such as "/menus.html#file", or empty for a
// heading without a page) and how deep it is nested (0 at the top).
struct HelpTopic {
  std::string name;
  std::string local;
  int depth = 0;
  bool operator==(const HelpTopic&) const = default;
};

// What the file's #SYSTEM record says.
struct ChmSystemInfo {
  std::string contentsFile;  // code 0
  std::string defaultTopic;  // code 2
  std::string title;         // code 3
};

// The largest object read from a help file; a damaged directory may claim
// any length.
inline constexpr std::uint64_t kMaxHelpObjectBytes = 32u * 1024 * 1024;

class ChmFile {
 public:
  // Opens the file and reads its default topic, so that a file which
  // cannot show its first page is refused at once. Nothing (and `error`
  // set) when the file cannot be used.
  static std::unique_ptr<ChmFile> open(const std::string& path, std::string& error);
  ~ChmFile();
  ChmFile(const ChmFile&) = delete;
  ChmFile& operator=(const ChmFile&) = delete;

  // The object at `path` ("/index.html"; a relative path counts from the
  // root, a "#fragment" or "?query" is ignored). False, with `error` set,
  // when it is not in the file or cannot be read whole.
  bool read(std::string_view path, std::string& bytes, std::string& error) const;
  bool contains(std::string_view path) const;

  const std::string& path() const { return path_; }
  // Always an absolute path inside the file.
  const std::string& defaultTopic() const { return defaultTopic_; }
  const std::string& title() const { return title_; }
  const std::vector<HelpTopic>& contents() const { return contents_; }

 private:
  ChmFile(chmFile* handle, std::string path);

  chmFile* handle_;
  std::string path_;
  std::string defaultTopic_;
  std::string title_;
  std::vector<HelpTopic> contents_;
};

// The largest help file opened.
inline constexpr std::uint64_t kMaxHelpFileBytes = 64u * 1024 * 1024;

// Checks the structures of a whole help file that chmlib trusts (headers,
// directory chunks and their entries, the compression's control data and
// reset table, where every object lies) so that a damaged file is refused
// before chmlib reads it. Empty when the file is sound, else the reason.
std::string checkChmStructure(std::string_view file);

// The #SYSTEM record's entries; nothing when it is too short to hold one.
std::optional<ChmSystemInfo> parseChmSystem(std::string_view bytes);

// The entries of a sitemap (.hhc) page, in order, with their nesting.
std::vector<HelpTopic> parseSitemap(std::string_view html);

// `path` as an absolute path inside a help file: a leading "/" added, "."
// and ".." steps resolved, a "#fragment" or "?query" dropped. Empty when
// nothing is left.
std::string chmObjectPath(std::string_view path);

}  // namespace tarvelon
