#include "core/ChmFile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <chm_lib.h>

#include "core/SmallFile.h"

namespace tarvelon {

namespace {

// Paths longer than this are not looked up (chmlib's limit is 512).
constexpr std::size_t kMaxObjectPath = 256;

std::uint16_t littleEndian16(std::string_view bytes, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) |
                                    static_cast<unsigned char>(bytes[at + 1]) << 8);
}

// A text entry of #SYSTEM: up to its first NUL.
std::string entryText(std::string_view data) {
  const std::size_t end = data.find('\0');
  return std::string(data.substr(0, end));
}

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool equalsNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

// The few entities a sitemap's values use.
std::string decodeEntities(std::string_view text) {
  static constexpr std::pair<std::string_view, char> kEntities[] = {
      {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&#39;", '\''}, {"&apos;", '\''}};
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    bool replaced = false;
    if (text[i] == '&') {
      for (const auto& [entity, c] : kEntities) {
        if (text.size() - i >= entity.size() && equalsNoCase(text.substr(i, entity.size()), entity)) {
          out += c;
          i += entity.size();
          replaced = true;
          break;
        }
      }
    }
    if (!replaced) out += text[i++];
  }
  return out;
}

struct Tag {
  std::string name;  // lower case, with a leading "/" for a closing tag
  std::vector<std::pair<std::string, std::string>> attributes;  // names in lower case

  std::string attribute(std::string_view key) const {
    for (const auto& [name, value] : attributes) {
      if (name == key) return value;
    }
    return {};
  }
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f'; }

// Parses the inside of one tag, `body` being the text between "<" and ">".
Tag parseTag(std::string_view body) {
  Tag tag;
  std::size_t i = 0;
  while (i < body.size() && isSpace(body[i])) ++i;
  const std::size_t nameStart = i;
  while (i < body.size() && !isSpace(body[i]) && body[i] != '/' ) ++i;
  if (i == nameStart && i < body.size() && body[i] == '/') {
    ++i;  // a closing tag
    while (i < body.size() && !isSpace(body[i])) ++i;
  }
  for (std::size_t k = nameStart; k < i; ++k) tag.name += lower(body[k]);
  while (i < body.size()) {
    while (i < body.size() && (isSpace(body[i]) || body[i] == '/')) ++i;
    const std::size_t keyStart = i;
    while (i < body.size() && !isSpace(body[i]) && body[i] != '=' && body[i] != '/') ++i;
    std::string key;
    for (std::size_t k = keyStart; k < i; ++k) key += lower(body[k]);
    while (i < body.size() && isSpace(body[i])) ++i;
    std::string value;
    if (i < body.size() && body[i] == '=') {
      ++i;
      while (i < body.size() && isSpace(body[i])) ++i;
      if (i < body.size() && (body[i] == '"' || body[i] == '\'')) {
        const char quote = body[i++];
        const std::size_t valueStart = i;
        while (i < body.size() && body[i] != quote) ++i;
        value = decodeEntities(body.substr(valueStart, i - valueStart));
        if (i < body.size()) ++i;
      } else {
        const std::size_t valueStart = i;
        while (i < body.size() && !isSpace(body[i])) ++i;
        value = decodeEntities(body.substr(valueStart, i - valueStart));
      }
    }
    if (!key.empty()) tag.attributes.emplace_back(std::move(key), std::move(value));
    if (keyStart == i) ++i;  // a stray character: step over it
  }
  return tag;
}

// A sitemap's "Local" value as a page path inside the file, fragment kept.
std::string topicPath(const std::string& local) {
  if (local.empty()) return {};
  const std::size_t hash = local.find('#');
  std::string path = chmObjectPath(local);
  if (path.empty()) return {};
  if (hash != std::string::npos) path += local.substr(hash);
  return path;
}

// The name chmlib looks up: the file's own records ("/#SYSTEM") as they
// are, pages without their fragment.
std::string objectName(std::string_view path) {
  if (path.size() > 2 && path.substr(0, 2) == "/#") return std::string(path);
  return chmObjectPath(path);
}

int collectHhc(chmFile*, chmUnitInfo* info, void* context) {
  auto* found = static_cast<std::string*>(context);
  const std::string_view path(info->path, strnlen(info->path, sizeof info->path));
  if (path.size() > 4 && equalsNoCase(path.substr(path.size() - 4), ".hhc")) {
    *found = std::string(path);
    return CHM_ENUMERATOR_SUCCESS;
  }
  return CHM_ENUMERATOR_CONTINUE;
}

}  // namespace

std::string chmObjectPath(std::string_view path) {
  const std::size_t cut = path.find_first_of("#?");
  if (cut != std::string_view::npos) path = path.substr(0, cut);
  std::vector<std::string> parts;
  std::string part;
  auto endPart = [&] {
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
    } else if (!part.empty() && part != ".") {
      parts.push_back(part);
    }
    part.clear();
  };
  for (char c : path) {
    if (c == '/' || c == '\\') {
      endPart();
    } else {
      part += c;
    }
  }
  endPart();
  std::string out;
  for (const std::string& p : parts) out += "/" + p;
  return out;
}

std::optional<ChmSystemInfo> parseChmSystem(std::string_view bytes) {
  // A version word, then entries of a code word, a length word and that
  // many bytes. An entry that claims more bytes than are left ends it.
  if (bytes.size() < 4) return std::nullopt;
  ChmSystemInfo info;
  std::size_t at = 4;
  while (bytes.size() - at >= 4) {
    const std::uint16_t code = littleEndian16(bytes, at);
    const std::uint16_t length = littleEndian16(bytes, at + 2);
    at += 4;
    if (length > bytes.size() - at) break;
    const std::string_view data = bytes.substr(at, length);
    at += length;
    if (code == 0) info.contentsFile = entryText(data);
    if (code == 2) info.defaultTopic = entryText(data);
    if (code == 3) info.title = entryText(data);
  }
  return info;
}

std::vector<HelpTopic> parseSitemap(std::string_view html) {
  std::vector<HelpTopic> topics;
  int depth = 0;
  bool inTopic = false;
  HelpTopic topic;
  std::size_t at = 0;
  while (at < html.size()) {
    const std::size_t open = html.find('<', at);
    if (open == std::string_view::npos) break;
    if (html.substr(open, 4) == "<!--") {
      const std::size_t close = html.find("-->", open + 4);
      if (close == std::string_view::npos) break;
      at = close + 3;
      continue;
    }
    const std::size_t close = html.find('>', open + 1);
    if (close == std::string_view::npos) break;
    const Tag tag = parseTag(html.substr(open + 1, close - open - 1));
    at = close + 1;
    if (tag.name == "ul") {
      ++depth;
    } else if (tag.name == "/ul") {
      depth = std::max(depth - 1, 0);
    } else if (tag.name == "object" && equalsNoCase(tag.attribute("type"), "text/sitemap")) {
      inTopic = true;
      topic = HelpTopic{};
      topic.depth = std::max(depth - 1, 0);
    } else if (tag.name == "param" && inTopic) {
      const std::string name = tag.attribute("name");
      if (equalsNoCase(name, "Name") && topic.name.empty()) topic.name = tag.attribute("value");
      if (equalsNoCase(name, "Local") && topic.local.empty()) topic.local = topicPath(tag.attribute("value"));
    } else if (tag.name == "/object" && inTopic) {
      inTopic = false;
      if (!topic.name.empty()) topics.push_back(topic);
    }
  }
  return topics;
}

ChmFile::ChmFile(chmFile* handle, std::string path) : handle_(handle), path_(std::move(path)) {}

ChmFile::~ChmFile() {
  if (handle_ != nullptr) chm_close(handle_);
}

std::unique_ptr<ChmFile> ChmFile::open(const std::string& path, std::string& error) {
  {
    // Read whole before chmlib sees it: only an ordinary file, up to the
    // limit, and checked on the one descriptor.
    std::string whole;
    const SmallFileRead read = readSmallFile(path, kMaxHelpFileBytes, whole);
    switch (read.status) {
      case SmallFileRead::Status::Ok: break;
      case SmallFileRead::Status::Missing:
        error = "The help file " + path + " does not exist.";
        return nullptr;
      case SmallFileRead::Status::NotAFile:
        error = path + " is not a file.";
        return nullptr;
      case SmallFileRead::Status::TooLarge:
        error = "The help file " + path + " is too large to be a help file (" + std::to_string(read.size) +
                " bytes).";
        return nullptr;
      case SmallFileRead::Status::Failed:
        error = "The help file " + path + " cannot be read: " + std::strerror(read.error) + ".";
        return nullptr;
    }
    if (whole.empty()) {
      error = "The help file " + path + " is empty.";
      return nullptr;
    }
    if (whole.compare(0, 4, "ITSF") != 0) {
      error = "The help file " + path + " is not a compiled help file.";
      return nullptr;
    }
    const std::string problem = checkChmStructure(whole);
    if (!problem.empty()) {
      error = "The help file " + path + " is truncated or damaged: " + problem + ".";
      return nullptr;
    }
  }
  chmFile* handle = chm_open(path.c_str());
  if (handle == nullptr) {
    error = "The help file " + path + " is truncated or damaged.";
    return nullptr;
  }
  std::unique_ptr<ChmFile> file(new ChmFile(handle, path));

  std::string bytes;
  std::string problem;
  ChmSystemInfo system;
  if (file->contains("/#SYSTEM")) {
    if (!file->read("/#SYSTEM", bytes, problem)) {
      error = "The help file " + path + " is truncated or damaged: " + problem;
      return nullptr;
    }
    if (auto parsed = parseChmSystem(bytes)) system = *parsed;
  }
  file->title_ = system.title;

  std::string contentsFile = chmObjectPath(system.contentsFile);
  if (contentsFile.empty()) {
    // Not named: the first sitemap in the file, if any.
    if (chm_enumerate(handle, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collectHhc, &contentsFile) == 0) {
      contentsFile.clear();
    }
    contentsFile = chmObjectPath(contentsFile);
  }
  if (!contentsFile.empty() && file->contains(contentsFile)) {
    if (!file->read(contentsFile, bytes, problem)) {
      error = "The help file " + path + " is truncated or damaged: " + problem;
      return nullptr;
    }
    file->contents_ = parseSitemap(bytes);
  }

  file->defaultTopic_ = chmObjectPath(system.defaultTopic);
  if (file->defaultTopic_.empty() && file->contains("/index.html")) file->defaultTopic_ = "/index.html";
  if (file->defaultTopic_.empty()) {
    for (const HelpTopic& topic : file->contents_) {
      if (!topic.local.empty()) {
        file->defaultTopic_ = chmObjectPath(topic.local);
        break;
      }
    }
  }
  if (file->defaultTopic_.empty()) {
    error = "The help file " + path + " names no page to open.";
    return nullptr;
  }
  if (!file->read(file->defaultTopic_, bytes, problem)) {
    error = "The help file " + path + " is truncated or damaged: " + problem;
    return nullptr;
  }
  return file;
}

bool ChmFile::contains(std::string_view path) const {
  const std::string object = objectName(path);
  if (object.empty() || object.size() > kMaxObjectPath) return false;
  chmUnitInfo info{};
  return chm_resolve_object(handle_, object.c_str(), &info) == CHM_RESOLVE_SUCCESS;
}

bool ChmFile::read(std::string_view path, std::string& bytes, std::string& error) const {
  bytes.clear();
  const std::string object = objectName(path);
  if (object.empty() || object.size() > kMaxObjectPath) {
    error = "There is no page \"" + std::string(path.substr(0, kMaxObjectPath)) + "\" in the help file.";
    return false;
  }
  chmUnitInfo info{};
  if (chm_resolve_object(handle_, object.c_str(), &info) != CHM_RESOLVE_SUCCESS) {
    error = "There is no page \"" + object + "\" in the help file.";
    return false;
  }
  if (info.length > kMaxHelpObjectBytes) {
    error = object + " claims " + std::to_string(info.length) + " bytes, more than a help page can hold.";
    return false;
  }
  if (info.length == 0) return true;
  bytes.resize(static_cast<std::size_t>(info.length));
  const LONGINT64 wanted = static_cast<LONGINT64>(info.length);
  const LONGINT64 got =
      chm_retrieve_object(handle_, &info, reinterpret_cast<unsigned char*>(bytes.data()), 0, wanted);
  if (got != wanted) {
    bytes.clear();
    error = object + " cannot be read whole (" + std::to_string(got < 0 ? 0 : got) + " of " +
            std::to_string(wanted) + " bytes).";
    return false;
  }
  return true;
}

}  // namespace tarvelon
