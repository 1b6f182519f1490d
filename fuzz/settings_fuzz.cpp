// The settings file. Whatever a file holds, reading it gives settings in
// range or a short message of visible characters; settings that are
// written read back the same, and what was read writes and reads back the
// same.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "core/Settings.h"
#include "core/AtomicFile.h"
#include "fuzz/FuzzCheck.h"

namespace {

using namespace tarvelon;

// Made once under TMPDIR, removed at exit when libFuzzer exits normally
// (run_target.sh removes its TMPDIR however the run ends); never
// destroyed, so that the removal can still name it.
const std::string& scratchFolder() {
  static const std::string* folder = [] {
    std::string pattern = std::filesystem::temp_directory_path().string() + "/tarvelon-fuzz-settings-XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    std::atexit([] { std::filesystem::remove_all(scratchFolder()); });
    return new std::string(pattern);
  }();
  return *folder;
}

bool visible(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7F) return false;
  }
  return true;
}

int expectedNumber(int value, int highest) { return value >= 0 && value <= highest ? value : 1; }

// Writes `settings` and reads them back: the same values, as three CR LF
// lines, unless the writer refused them for what the reader cannot give back.
void roundTrip(const std::string& path, const Settings& settings) {
  try {
    writeSettings(path, settings);
  } catch (const WriteError& error) {
    FUZZ_CHECK(settings.demFolder.empty() || settings.demFolder.find('\n') != std::string::npos ||
               settings.demFolder.size() > kLongestSettingsLine ||
               settings.demFolder.compare(0, 3, "\xEF\xBB\xBF") == 0);
    FUZZ_CHECK(visible(error.what()));
    return;
  }
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  FUZZ_CHECK(bytes == settings.demFolder + "\r\n" + std::to_string(settings.colourScheme) + "\r\n" +
                          std::to_string(settings.shadingMode) + "\r\n");
  const SettingsRead read = readSettings(path);
  FUZZ_CHECK(read.status == SettingsRead::Status::Ok);
  FUZZ_CHECK(read.settings.demFolder == settings.demFolder);
  FUZZ_CHECK(read.settings.colourScheme == expectedNumber(settings.colourScheme, 5));
  FUZZ_CHECK(read.settings.shadingMode == expectedNumber(settings.shadingMode, 3));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string path = scratchFolder() + "/megdr128.cfg";
  const std::string bytes(reinterpret_cast<const char*>(data) + 1, size - 1);
  if ((data[0] & 1) != 0 && bytes.size() >= 8) {
    // Settings to write: scheme and mode from the first eight bytes, the
    // folder from the rest.
    Settings settings;
    std::memcpy(&settings.colourScheme, bytes.data(), 4);
    std::memcpy(&settings.shadingMode, bytes.data() + 4, 4);
    settings.demFolder = bytes.substr(8);
    roundTrip(path, settings);
    return 0;
  }
  // A file of any bytes.
  {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
  }
  const SettingsRead read = readSettings(path);
  FUZZ_CHECK(read.status != SettingsRead::Status::Missing);
  if (read.status == SettingsRead::Status::Unusable) {
    FUZZ_CHECK(visible(read.problem));
    // The path, two quotations at most and a sentence of our own.
    FUZZ_CHECK(shownLength(read.problem) <= 400);
    return 0;
  }
  FUZZ_CHECK(!read.settings.demFolder.empty());
  FUZZ_CHECK(read.settings.colourScheme >= 0 && read.settings.colourScheme <= 5);
  FUZZ_CHECK(read.settings.shadingMode >= 0 && read.settings.shadingMode <= 3);
  roundTrip(path, read.settings);
  return 0;
}
