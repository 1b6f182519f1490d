// The settings file megdr128.cfg: data folder, colour scheme, shading mode,
// three lines ended by CR LF, in the folder the program starts in.
#pragma once

#include <cstddef>
#include <string>

namespace tarvelon {

inline constexpr const char* kSettingsFileName = "megdr128.cfg";
// A longer line holds no folder and no number: the file is set aside.
inline constexpr std::size_t kLongestSettingsLine = 1 << 16;

struct Settings {
  std::string demFolder;
  int colourScheme = 1;
  int shadingMode = 1;
};

struct SettingsRead {
  enum class Status {
    Missing,   // no settings file: a first run
    Unusable,  // present but unreadable, short or not numeric: treated as a first run
    Ok,
  };
  Status status = Status::Missing;
  Settings settings;
  // Why an unusable file was set aside, for the user.
  std::string problem;
};

// startDir, a separator and "megdr128.cfg".
std::string settingsPath(const std::string& startDir);

// Reads the file. A scheme outside 0..5 or a mode outside 0..3 falls back
// to the first-run value 1.
SettingsRead readSettings(const std::string& path);

// Writes the file through a temporary file renamed into place, so that a
// failed write keeps the old file. Throws WriteError, also for a folder
// name that the file could not give back: empty, longer than
// kLongestSettingsLine or holding a line feed.
void writeSettings(const std::string& path, const Settings& settings);

// The scheme the settings file receives: the user colours (99) are stored
// as the scheme of the last draw, or, when that is not a scheme 0..5 either,
// as the scheme whose menu item is check-marked.
int schemeToStore(int colourScheme, int drawnScheme, int checkedScheme);

}  // namespace tarvelon
