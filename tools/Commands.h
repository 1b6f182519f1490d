// The subcommands of tarvelon-render.
#pragma once

#include "tools/Cli.h"

namespace tarvelon::cli {

struct Command {
  const char* name;
  const char* summary;
  const char* usage;  // full help text of the subcommand
  int (*run)(Args& args);
};

int runPalette(Args& args);
extern const char* const kPaletteUsage;

int runMakeData(Args& args);
extern const char* const kMakeDataUsage;

int runTile(Args& args);
extern const char* const kTileUsage;
int runArea(Args& args);
extern const char* const kAreaUsage;

}  // namespace tarvelon::cli
