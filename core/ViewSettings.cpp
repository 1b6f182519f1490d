#include "core/ViewSettings.h"

#include <sstream>

#include "core/AtomicFile.h"
#include "core/SmallFile.h"

namespace tarvelon {

namespace {

constexpr const char* kReliefShadingKey = "reliefShading";
constexpr const char* kFeatureNamesKey = "featureNames";
constexpr const char* kProjectionKey = "projection";
constexpr ViewProjection kViewProjections[] = {ViewProjection::SimpleCylindrical, ViewProjection::NorthPolar,
                                               ViewProjection::SouthPolar, ViewProjection::Globe};
// A settings file of a few lines; anything longer is not one.
constexpr std::size_t kLongestLine = 4096;
constexpr int kMostLines = 100;

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

}  // namespace

const char* viewProjectionWord(ViewProjection projection) {
  switch (projection) {
    case ViewProjection::SimpleCylindrical: return "simple-cylindrical";
    case ViewProjection::NorthPolar: return "north-polar";
    case ViewProjection::SouthPolar: return "south-polar";
    case ViewProjection::Globe: return "globe";
  }
  return "simple-cylindrical";
}

std::string viewSettingsPath(const std::string& startDir) { return startDir + "/" + kViewSettingsFileName; }

ViewSettings readViewSettings(const std::string& path) {
  ViewSettings settings;
  // Whatever the name leads to, no more than this is read.
  std::string bytes;
  if (readSmallFile(path, std::size_t(kMostLines) * (kLongestLine + 2), bytes, SmallFileLimit::Prefix).status !=
      SmallFileRead::Status::Ok) {
    return settings;
  }
  std::istringstream in(bytes);
  std::string line;
  for (int n = 0; n < kMostLines && std::getline(in, line); ++n) {
    line = withoutByteOrderMark(std::move(line));
    if (line.size() > kLongestLine) break;
    const auto equals = line.find('=');
    if (equals == std::string::npos) continue;
    const std::string key = trimmed(line.substr(0, equals));
    const std::string value = trimmed(line.substr(equals + 1));
    if (key == kProjectionKey) {
      // A word this version does not know (one of a later version) is
      // simple cylindrical.
      settings.projection = ViewProjection::SimpleCylindrical;
      for (const ViewProjection projection : kViewProjections) {
        if (value == viewProjectionWord(projection)) settings.projection = projection;
      }
      continue;
    }
    if (value != "0" && value != "1") continue;
    if (key == kReliefShadingKey) settings.reliefShading = value == "1" ? 1 : 0;
    if (key == kFeatureNamesKey) settings.featureNames = value == "1" ? 1 : 0;
  }
  return settings;
}

void writeViewSettings(const std::string& path, const ViewSettings& settings) {
  AtomicFile file(path);
  file.write(std::string(kReliefShadingKey) + "=" + std::to_string(settings.reliefShading) + "\r\n");
  if (settings.featureNames == 1) file.write(std::string(kFeatureNamesKey) + "=1\r\n");
  if (settings.projection != ViewProjection::SimpleCylindrical) {
    file.write(std::string(kProjectionKey) + "=" + viewProjectionWord(settings.projection) + "\r\n");
  }
  file.commit();
}

}  // namespace tarvelon
