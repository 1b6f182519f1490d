#include "tools/Cli.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include "core/MessageText.h"
#include "core/WholeNumber.h"

namespace tarvelon::cli {

bool Args::flag(const std::string& name) {
  bool found = false;
  for (auto it = words_.begin(); it != words_.end();) {
    if (*it == name) {
      it = words_.erase(it);
      found = true;
    } else {
      ++it;
    }
  }
  return found;
}

std::optional<std::string> Args::option(const std::string& name) {
  auto values = option(name, 1);
  if (!values) return std::nullopt;
  return values->front();
}

std::optional<std::vector<std::string>> Args::option(const std::string& name, int count) {
  std::optional<std::vector<std::string>> result;
  for (std::size_t i = 0; i < words_.size();) {
    const std::string& word = words_[i];
    if (word == name) {
      if (i + count >= words_.size()) {
        throw UsageError(name + " needs " + (count == 1 ? std::string("a value") : std::to_string(count) + " values"));
      }
      result = std::vector<std::string>(words_.begin() + i + 1, words_.begin() + i + 1 + count);
      words_.erase(words_.begin() + i, words_.begin() + i + 1 + count);
    } else if (count == 1 && word.rfind(name + "=", 0) == 0) {
      result = std::vector<std::string>{word.substr(name.size() + 1)};
      words_.erase(words_.begin() + i);
    } else {
      ++i;
    }
  }
  return result;
}

std::vector<std::string> Args::positional() {
  for (const std::string& word : words_) {
    // A lone "-" or a negative number is a value, not an option.
    const bool looksLikeOption = word.size() > 1 && word[0] == '-' && !(word[1] >= '0' && word[1] <= '9');
    if (looksLikeOption) throw UsageError("unknown option " + quote(word));
  }
  return words_;
}

int parseInteger(const std::string& text, const std::string& what, int min, int max) {
  int value = 0;
  const WholeNumber read = readWholeNumber(text, value);
  if (read == WholeNumber::NotANumber) throw UsageError(what + " must be a whole number, not " + quote(text));
  if (read == WholeNumber::OutOfRange || value < min || value > max) {
    throw UsageError(what + " " + quote(text) + " is out of range: it must lie between " + std::to_string(min) +
                     " and " + std::to_string(max));
  }
  return value;
}

TileNames tileNamesOf(const std::string& folder) {
  const TileListing listing = listTileFolder(folder);
  if (!listing.readable) {
    throw CommandError("the data folder " + quote(folder) + " cannot be read: " + listing.problem);
  }
  std::string notes;
  for (const std::string& line : listingNotes(listing)) notes += "\n  " + line;
  if (!listing.complete()) {
    throw CommandError("the data folder " + quote(folder) + " holds " + std::to_string(listing.found()) +
                       " of the 16 MEGDR128 tiles (megt*.img):" + notes);
  }
  if (!notes.empty()) std::fprintf(stderr, "tarvelon-render: in the data folder %s:%s\n", quote(folder).c_str(), notes.c_str());
  return listing.tiles;
}

void flushStandardOutput() {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return;
  const int error = errno;
  throw CommandError(std::string("cannot write to standard output") + (error != 0 ? ": " : "") +
                     (error != 0 ? std::strerror(error) : ""));
}

std::string besideTool(const std::string& relative) {
  std::error_code ec;
  const std::filesystem::path tool = std::filesystem::read_symlink("/proc/self/exe", ec);
  return (tool.parent_path() / relative).lexically_normal().string();
}

}  // namespace tarvelon::cli
