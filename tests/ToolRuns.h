// Running a command-line tool from a test as a user runs it from a shell:
// its words quoted, its output and errors kept, its exit status read.
#pragma once

#include <sys/wait.h>

#include <cstdlib>
#include <string>

#include "tests/TestFiles.h"

namespace tarvelon::testing {

struct CommandOutcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

// One word for the shell, whatever it holds.
inline std::string shellQuote(const std::string& word) {
  std::string quoted = "'";
  for (char c : word) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

// Runs a shell command with no input; its output and errors pass through
// files in `scratch`.
inline CommandOutcome runShell(const std::string& command, const ScratchDir& scratch) {
  const std::string redirected = "(" + command + ") > " + shellQuote(scratch.file("out.txt")) + " 2> " +
                                 shellQuote(scratch.file("err.txt")) + " < /dev/null";
  const int status = std::system(redirected.c_str());
  CommandOutcome result;
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  result.out = readText(scratch.file("out.txt"));
  result.err = readText(scratch.file("err.txt"));
  return result;
}

}  // namespace tarvelon::testing
