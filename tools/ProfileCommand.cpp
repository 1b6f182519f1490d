// tarvelon-render profile: the elevations along the great circle between
// two points, from the tiles' even grid, as CSV or as a PNG plot.
#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "core/AtomicFile.h"
#include "core/MessageText.h"
#include "dem/ElevationProfile.h"
#include "dem/GridSampler.h"
#include "export/ProfileFile.h"
#include "tools/Commands.h"
#include "tools/LegendModule.h"

namespace tarvelon::cli {

const char* const kProfileUsage =
    "Usage: tarvelon-render profile LON1 LAT1 LON2 LAT2 [--samples N] [--data DIR] [-o FILE]\n"
    "\n"
    "The elevations along the great circle from the point LON1 LAT1 to the point\n"
    "LON2 LAT2 (decimal degrees, east positive; longitudes -360 to 360), the\n"
    "shorter way round, across 180 degrees where that is shorter. Negative numbers\n"
    "are written as they are: tarvelon-render profile -75 -8 -40 -12 -o valles.png\n"
    "Distances are measured on the Mars 2000 sphere (radius 3396.19 km); each point\n"
    "takes the sample of the tiles whose cell holds it, none beyond 88 degrees.\n"
    "\n"
    "  --samples N   the number of points, evenly spaced from the first point to\n"
    "                the second, 2 to 200000 (default: one every 463 m, the grid's\n"
    "                sample along a meridian, so that no sample is passed over)\n"
    "  --data DIR    folder holding the sixteen MEGDR128 tiles (megt*.img); default:\n"
    "                the folder named in megdr128.cfg in the current folder\n"
    "  -o FILE       .csv: a header line, then a line a point: distance_km,\n"
    "                longitude, latitude, elevation_m (empty where there is no data);\n"
    "                .png: the plot of elevation against distance, 1200 x 600 pixels,\n"
    "                its highest and lowest points marked, with the length, climb,\n"
    "                descent and steepest slope above it\n"
    "\n"
    "Without -o the profile goes to profile_LON1_LAT1_LON2_LAT2.csv in the current\n"
    "folder. Prints the length, the highest and lowest points, the climb, descent\n"
    "and steepest slope, and where the file went.\n";

namespace {

// The shortest text that reads back as the same number.
std::string number(double value) {
  char text[32];
  const auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string lowered(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return char(std::tolower(c)); });
  return text;
}

enum class ProfileFormat { Csv, Png };

ProfileFormat formatOf(const std::string& path) {
  const std::size_t slash = path.find_last_of('/');
  const std::size_t dot = path.find_last_of('.');
  const std::string extension =
      dot == std::string::npos || (slash != std::string::npos && dot < slash) ? "" : lowered(path.substr(dot));
  if (extension == ".csv") return ProfileFormat::Csv;
  if (extension == ".png") return ProfileFormat::Png;
  throw UsageError("the profile file must end in .csv or .png, not " + quote(path));
}

std::string km(double metres) {
  char text[32];
  std::snprintf(text, sizeof text, metres < 10000 ? "%.2f km" : "%.1f km", metres / 1000);
  return text;
}

void report(const ElevationProfile& profile, const std::string& path) {
  std::printf("%s along the great circle, %zu points\n", km(profile.length).c_str(), profile.points.size());
  const ProfileSummary s = summariseProfile(profile);
  if (!s.hasData) {
    std::printf("no elevation data along the line\n");
  } else {
    const ProfilePoint& high = profile.points[s.highest];
    const ProfilePoint& low = profile.points[s.lowest];
    std::printf("highest %d m at %s, lowest %d m at %s\n", high.elevation, km(high.distance).c_str(), low.elevation,
                km(low.distance).c_str());
    std::printf("climb %.0f m, descent %.0f m, steepest slope %.1f degrees at %s\n", s.climb, s.descent,
                s.steepestDegrees, km(profile.points[s.steepestAt].distance).c_str());
  }
  std::printf("written to %s\n", shownPath(path).c_str());
}

}  // namespace

int runProfile(Args& args) {
  const auto samplesText = args.option("--samples");
  const auto data = args.option("--data");
  const auto output = args.option("-o");
  const std::vector<std::string> words = args.positional();
  if (words.size() != 4) throw UsageError("give the two points as four numbers: LON1 LAT1 LON2 LAT2");
  const GeoPoint from{parseDecimal(words[0], "LON1", -360, 360), parseDecimal(words[1], "LAT1", -90, 90)};
  const GeoPoint to{parseDecimal(words[2], "LON2", -360, 360), parseDecimal(words[3], "LAT2", -90, 90)};
  const int samples = samplesText ? parseInteger(*samplesText, "the number of samples", 2, kMaxProfileSamples) : 0;
  const std::string path = output ? *output
                                  : "profile_" + number(from.longitude) + "_" + number(from.latitude) + "_" +
                                        number(to.longitude) + "_" + number(to.latitude) + ".csv";
  const ProfileFormat format = formatOf(path);
  // Found missing before the tiles are read.
  const SaveProfilePicture savePicture = format == ProfileFormat::Png ? loadProfilePictureModule() : nullptr;

  const std::string folder = dataFolderOf(data);
  GridSampler sampler(folder, tileNamesOf(folder));
  if (samples > 0) {
    // Points two samples apart or more are read line by line.
    const double step = 2 * 3.14159265358979323846 * kMarsRadiusMetres / double(kGridColumns);
    sampler.setGatherSpacing(greatCircleMetres(from, to) / (samples - 1) / step);
  }
  const ElevationProfile profile = sampleProfile(sampler, from, to, samples);

  if (format == ProfileFormat::Csv) {
    AtomicFile file(path);
    file.write(profileCsv(profile));
    file.commit();
  } else {
    savePicture(profile, path);
  }
  report(profile, path);
  flushStandardOutput();
  return 0;
}

}  // namespace tarvelon::cli
