// tarvelon-render: Tarvelon's maps and data from the command line.
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <exception>
#include <string>
#include <vector>

#include "core/MessageText.h"
#include "tools/Commands.h"

namespace {

using namespace tarvelon::cli;

const Command kCommands[] = {
    {"tile", "draw a whole tile to a BMP, PNG or GeoTIFF file", kTileUsage, runTile},
    {"area", "draw an area of whole degrees to a BMP, PNG or GeoTIFF file", kAreaUsage, runArea},
    {"feature", "draw a named feature of the Map Area menu to a BMP, PNG or GeoTIFF file", kFeatureUsage, runFeature},
    {"features", "list the 212 named features and their rectangles", kFeaturesUsage, runFeatures},
    {"names", "list the IAU names of Mars by name, place, distance or kind", kNamesUsage, runNames},
    {"profile", "the elevations along a great circle, as CSV or a PNG plot", kProfileUsage, runProfile},
    {"palette", "print a colour scheme as a table (CSV, gdaldem or GMT)", kPaletteUsage, runPalette},
    {"make-data", "write a demo set of the sixteen MEGDR128 tiles", kMakeDataUsage, runMakeData},
};

void printOverview(std::FILE* out) {
  std::fprintf(out,
               "Usage: tarvelon-render COMMAND [OPTIONS]\n"
               "\n"
               "Commands:\n");
  for (const Command& command : kCommands) std::fprintf(out, "  %-10s %s\n", command.name, command.summary);
  std::fprintf(out, "\n'tarvelon-render COMMAND --help' describes a command.\n");
}

// What a command printed must reach standard output: a full disk or a
// closed pipe is a failure, not a success with nothing shown.
// `earlier` is the error of a write that failed before (a text longer
// than the stream's buffer is written while it is put), 0 when none did.
int withOutputChecked(int status, int earlier = 0) {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  const int error = errno != 0 ? errno : earlier;
  std::fprintf(stderr, "tarvelon-render: cannot write to standard output%s%s\n", error != 0 ? ": " : "",
               error != 0 ? std::strerror(error) : "");
  return status == 0 ? 1 : status;
}

}  // namespace

int main(int argc, char** argv) {
  // A file that grows past the size limit fails its write with a message,
  // as a full disk does, rather than end the program.
  std::signal(SIGXFSZ, SIG_IGN);
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty() || words[0] == "--help" || words[0] == "-h" || words[0] == "help") {
    printOverview(words.empty() ? stderr : stdout);
    return withOutputChecked(words.empty() ? 2 : 0);
  }
  const Command* command = nullptr;
  for (const Command& candidate : kCommands) {
    if (words[0] == candidate.name) command = &candidate;
  }
  if (command == nullptr) {
    std::fprintf(stderr, "tarvelon-render: unknown command %s\n\n", tarvelon::quote(words[0]).c_str());
    printOverview(stderr);
    return 2;
  }
  Args args(std::vector<std::string>(words.begin() + 1, words.end()));
  try {
    if (args.flag("--help") || args.flag("-h")) {
      errno = 0;
      const bool written = std::fputs(command->usage, stdout) != EOF;
      return withOutputChecked(0, written ? 0 : errno);
    }
    return withOutputChecked(command->run(args));
  } catch (const UsageError& e) {
    std::fprintf(stderr, "tarvelon-render %s: %s\n\n%s", command->name, tarvelon::displaySafe(e.what()).c_str(),
                 command->usage);
    return 2;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "tarvelon-render %s: %s\n", command->name, tarvelon::displaySafe(e.what()).c_str());
    return 1;
  }
}
