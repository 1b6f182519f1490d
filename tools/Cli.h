// Command-line parsing shared by the subcommands of tarvelon-render.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "dem/TileNames.h"

namespace tarvelon::cli {

// A mistake in the command line: reported with the usage, exit status 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A failure while doing the work: reported plainly, exit status 1.
class CommandError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The arguments after the subcommand's name. Options are taken out as the
// subcommand asks for them; finish() then rejects anything left over.
class Args {
 public:
  explicit Args(std::vector<std::string> words) : words_(std::move(words)) {}

  // True when the flag is present (and removes it).
  bool flag(const std::string& name);
  // Value of "--name VALUE" or "--name=VALUE" (removed), if present.
  std::optional<std::string> option(const std::string& name);
  // Every value following "--name" once it is met: "--name A B" gives two.
  std::optional<std::vector<std::string>> option(const std::string& name, int count);
  // Whatever is not an option, in order. Throws on an unknown option.
  std::vector<std::string> positional();

 private:
  std::vector<std::string> words_;
};

// A whole decimal number (readWholeNumber) within [min, max]; otherwise a
// UsageError that names `what` ("the step") and says whether the text is no
// number or one out of range.
int parseInteger(const std::string& text, const std::string& what, int min, int max);

// The tile names of a data folder. A folder that cannot be read or lacks a
// tile is a CommandError that names what is wrong; names that take no tile
// are reported on standard error.
TileNames tileNamesOf(const std::string& folder);

// Flushes standard output; a CommandError that says why when what was
// printed could not be written (a full disk, a closed pipe).
void flushStandardOutput();

// `relative` taken from the folder the running tool is in: where its
// module and, once installed, its data are found.
std::string besideTool(const std::string& relative);

}  // namespace tarvelon::cli
