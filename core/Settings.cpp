#include "core/Settings.h"

#include <cerrno>
#include <cstring>
#include <vector>

#include "core/AtomicFile.h"
#include "core/MessageText.h"
#include "core/SmallFile.h"
#include "core/WholeNumber.h"

namespace tarvelon {

namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

}  // namespace

std::string settingsPath(const std::string& startDir) { return startDir + "/" + kSettingsFileName; }

SettingsRead readSettings(const std::string& path) {
  SettingsRead read;
  const std::string file = "The settings file " + quote(path);
  auto unusable = [&](const std::string& problem) {
    read.status = SettingsRead::Status::Unusable;
    read.problem = file + " " + problem;
    return read;
  };
  // Three lines, each with room for its CR LF, and one byte more to see
  // that a line goes on.
  constexpr std::size_t kReadAtMost = 3 * (kLongestSettingsLine + 2) + 1;
  std::string bytes;
  const SmallFileRead opened = readSmallFile(path, kReadAtMost, bytes, SmallFileLimit::Prefix);
  switch (opened.status) {
    case SmallFileRead::Status::Ok: break;
    case SmallFileRead::Status::Missing: return read;
    case SmallFileRead::Status::NotAFile:
    case SmallFileRead::Status::TooLarge: return unusable("is not an ordinary file.");
    case SmallFileRead::Status::Failed:
      return unusable(std::string("cannot be read: ") + std::strerror(opened.error) + ".");
  }
  std::vector<std::string> lines;
  std::string line;
  for (std::size_t at = 0; lines.size() < 3; ++at) {
    const bool end = at == bytes.size();
    const char c = end ? '\n' : bytes[at];
    if (c == '\n') {
      if (end && line.empty()) break;
      if (!line.empty() && line.back() == '\r') line.pop_back();
      lines.push_back(withoutByteOrderMark(std::move(line)));
      line.clear();
      if (end) break;
    } else if (line.size() > kLongestSettingsLine) {  // room for the CR of a CR LF
      return unusable("has more than " + std::to_string(kLongestSettingsLine) + " characters on line " +
                      std::to_string(lines.size() + 1) + ": " + quote(line) + ".");
    } else {
      line += c;
    }
  }
  if (lines.size() < 3) {
    return unusable("has " + countOf(static_cast<long long>(lines.size()), "line", "lines") +
                    " where three are needed (data folder, scheme, mode).");
  }
  Settings& settings = read.settings;
  settings.demFolder = lines[0];
  if (settings.demFolder.empty()) return unusable("names no data folder on its first line.");
  struct Number {
    int line;
    const char* what;
    int& value;
  } numbers[] = {{2, "scheme", settings.colourScheme}, {3, "mode", settings.shadingMode}};
  for (const Number& number : numbers) {
    const std::string& text = lines[static_cast<std::size_t>(number.line - 1)];
    switch (readWholeNumber(trimmed(text), number.value)) {
      case WholeNumber::Ok:
        break;
      case WholeNumber::NotANumber:
        return unusable("holds " + quote(text) + " on line " + std::to_string(number.line) + ", where the " +
                        number.what + " number belongs.");
      case WholeNumber::OutOfRange:
        return unusable("holds " + quote(text) + " on line " + std::to_string(number.line) + ", out of range for the " +
                        number.what + " number.");
    }
  }
  if (settings.colourScheme < 0 || settings.colourScheme > 5) settings.colourScheme = 1;
  if (settings.shadingMode < 0 || settings.shadingMode > 3) settings.shadingMode = 1;
  read.status = SettingsRead::Status::Ok;
  return read;
}

void writeSettings(const std::string& path, const Settings& settings) {
  // What readSettings would not give back is not written.
  const std::string cannot = "Cannot write " + quote(path) + ": ";
  if (settings.demFolder.empty()) throw WriteError(cannot + "there is no data folder to store.");
  if (settings.demFolder.size() > kLongestSettingsLine) {
    throw WriteError(cannot + "the folder name " + quote(settings.demFolder) + " is too long to store.");
  }
  // A line feed in the folder's name would split the first line in two.
  if (settings.demFolder.find('\n') != std::string::npos) {
    throw WriteError(cannot + "the folder name " + quote(settings.demFolder) +
                     " holds a line break, which the settings file cannot store.");
  }
  // Nor a name that starts as a byte order mark does: the reader skips one.
  if (withoutByteOrderMark(settings.demFolder).size() != settings.demFolder.size()) {
    throw WriteError(cannot + "the folder name " + quote(settings.demFolder) +
                     " starts with a byte order mark, which the settings file cannot store.");
  }
  AtomicFile file(path);
  file.write(settings.demFolder + "\r\n" + std::to_string(settings.colourScheme) + "\r\n" +
             std::to_string(settings.shadingMode) + "\r\n");
  file.commit();
}

int schemeToStore(int colourScheme, int drawnScheme, int checkedScheme) {
  auto valid = [](int s) { return s >= 0 && s <= 5; };
  if (colourScheme != 99) return valid(colourScheme) ? colourScheme : 1;
  if (valid(drawnScheme)) return drawnScheme;
  return valid(checkedScheme) ? checkedScheme : 1;
}

}  // namespace tarvelon
