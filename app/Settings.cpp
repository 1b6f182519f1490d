#include "app/Settings.h"

#include <cerrno>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "dem/AtomicFile.h"

namespace tarvelon {

namespace {

bool parseInteger(std::string text, int& value) {
  const auto first = text.find_first_not_of(" \t");
  const auto last = text.find_last_not_of(" \t");
  if (first == std::string::npos) return false;
  text = text.substr(first, last - first + 1);
  const char* begin = text.data();
  const char* end = text.data() + text.size();
  if (*begin == '+') ++begin;
  const auto result = std::from_chars(begin, end, value);
  return result.ec == std::errc() && result.ptr == end;
}

}  // namespace

std::string settingsPath(const std::string& startDir) { return startDir + "/" + kSettingsFileName; }

SettingsRead readSettings(const std::string& path) {
  SettingsRead read;
  std::error_code ec;
  const auto status = std::filesystem::status(path, ec);
  if (status.type() == std::filesystem::file_type::not_found) return read;
  if (status.type() != std::filesystem::file_type::regular) {
    read.status = SettingsRead::Status::Unusable;
    read.problem = "The settings file " + path + " is not an ordinary file.";
    return read;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    read.status = SettingsRead::Status::Unusable;
    read.problem = "The settings file " + path + " cannot be read: " + std::strerror(errno) + ".";
    return read;
  }
  std::vector<std::string> lines;
  std::string line;
  while (lines.size() < 3 && std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  if (in.bad()) {
    read.status = SettingsRead::Status::Unusable;
    read.problem = "The settings file " + path + " cannot be read.";
    return read;
  }
  if (lines.size() < 3) {
    read.status = SettingsRead::Status::Unusable;
    read.problem = "The settings file " + path + " has " + std::to_string(lines.size()) +
                   " lines where three are needed (data folder, scheme, mode).";
    return read;
  }
  Settings& settings = read.settings;
  settings.demFolder = lines[0];
  if (settings.demFolder.empty()) {
    read.status = SettingsRead::Status::Unusable;
    read.problem = "The settings file " + path + " names no data folder on its first line.";
    return read;
  }
  if (!parseInteger(lines[1], settings.colourScheme) || !parseInteger(lines[2], settings.shadingMode)) {
    read.status = SettingsRead::Status::Unusable;
    read.problem = "The settings file " + path + " holds '" + lines[1] + "' and '" + lines[2] +
                   "' where the scheme and mode numbers belong.";
    return read;
  }
  if (settings.colourScheme < 0 || settings.colourScheme > 5) settings.colourScheme = 1;
  if (settings.shadingMode < 0 || settings.shadingMode > 3) settings.shadingMode = 1;
  read.status = SettingsRead::Status::Ok;
  return read;
}

void writeSettings(const std::string& path, const Settings& settings) {
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
