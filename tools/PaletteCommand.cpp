// tarvelon-render palette: the colour of every elevation, as a table that
// other tools can read.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/AtomicFile.h"
#include "core/MessageText.h"
#include "render/ColourFunction.h"
#include "tools/Commands.h"

namespace tarvelon::cli {

const char* const kPaletteUsage =
    "Usage: tarvelon-render palette [--scheme S] [--mode M] [--user-colours TOP BOTTOM]\n"
    "                               [--format csv|gdal|cpt] [-o FILE]\n"
    "\n"
    "Prints the colour of every elevation from -8200 m to 21250 m.\n"
    "\n"
    "  --scheme S        colour scheme 0..5 (default 1):\n"
    "                      0 Brown Relief, 1 Blue/Green/Brown (pale),\n"
    "                      2 Blue/Green/Brown (darker), 3 Blue/Green/Brown (histogram),\n"
    "                      4 Putative Northern Ocean (datum 3000 m), 5 MOLA Multicolour\n"
    "  --mode M          shading mode 0..3 (default 1): 0 Contoured Shading,\n"
    "                      1 Blended Shading, 2 Square Root Enhancement, 3 Power 2 Enhanced\n"
    "  --user-colours TOP BOTTOM\n"
    "                    the user colours: sixteen altitude bands fitted between the\n"
    "                    upper limit TOP and the lower limit BOTTOM (metres); replaces --scheme\n"
    "  --format csv      'elevation,red,green,blue' lines after that header (default)\n"
    "  --format gdal     a colour file for 'gdaldem color-relief'; its 'nv' line makes\n"
    "                    nodata transparent with -alpha, as in Tarvelon's maps\n"
    "  --format cpt      a GMT colour palette table; nodata (N) is not painted\n"
    "  -o FILE           write to FILE instead of standard output\n";

namespace {

enum class Format { Csv, Gdal, Cpt };

struct Colour {
  int red, green, blue;
  bool operator==(const Colour&) const = default;
};

std::string describe(int scheme, int mode, const std::string& limits) {
  std::string text = scheme == kUserColours ? "user colours (" + limits + ")"
                                            : std::string("scheme ") + std::to_string(scheme) + " \"" +
                                                  kSchemeCaptions[scheme] + "\"";
  return text + ", mode " + std::to_string(mode) + " \"" + kModeCaptions[mode] + "\"";
}

std::string render(Format format, int scheme, int mode, const BandLimits& bands, const std::string& limits) {
  std::string out;
  out.reserve(600000);
  char line[96];
  // Elevations that the function leaves uncoloured keep the colour before
  // them, as they do on a map.
  PixelColour pixel;
  auto colourAt = [&](int e) {
    elevationColour(scheme, e, mode, bands, pixel);
    return Colour{pixel.pixelRed & 0xFF, pixel.pixelGreen & 0xFF, pixel.pixelBlue & 0xFF};
  };
  switch (format) {
    case Format::Csv:
    case Format::Gdal: {
      // One line a metre: "e,r,g,b" after a header, or gdaldem's "e r g b".
      const bool csv = format == Format::Csv;
      out += csv ? std::string("elevation,red,green,blue\n")
                 : "# Tarvelon " + describe(scheme, mode, limits) + "\n# for gdaldem color-relief: one entry per whole metre\n";
      const char* pattern = csv ? "%d,%d,%d,%d\n" : "%d %d %d %d\n";
      for (int e = kMinElevation; e <= kMaxElevation; ++e) {
        const Colour c = colourAt(e);
        std::snprintf(line, sizeof line, pattern, e, c.red, c.green, c.blue);
        out += line;
      }
      // Where there is no elevation, a colour GeoTIFF or PNG is transparent.
      if (!csv) out += "nv 0 0 0 0\n";
      break;
    }
    case Format::Cpt: {
      out += "# Tarvelon " + describe(scheme, mode, limits) + "\n";
      out += "# Constant colour from z - 0.5 to z + 0.5 for every whole metre z\n";
      out += "# COLOR_MODEL = RGB\n";
      Colour first = colourAt(kMinElevation);
      Colour run = first;
      Colour last = first;
      int runStart = kMinElevation;
      auto slice = [&](int from, int to, const Colour& c) {
        std::snprintf(line, sizeof line, "%.1f\t%d\t%d\t%d\t%.1f\t%d\t%d\t%d\n", from - 0.5, c.red, c.green, c.blue,
                      to + 0.5, c.red, c.green, c.blue);
        out += line;
      };
      for (int e = kMinElevation + 1; e <= kMaxElevation; ++e) {
        const Colour c = colourAt(e);
        if (!(c == run)) {
          slice(runStart, e - 1, run);
          run = c;
          runStart = e;
        }
        last = c;
      }
      slice(runStart, kMaxElevation, run);
      // No elevation is not painted ("-"), as a colour GeoTIFF or PNG shows
      // a hole there.
      std::snprintf(line, sizeof line, "B\t%d\t%d\t%d\nF\t%d\t%d\t%d\nN\t-\n", first.red, first.green, first.blue,
                    last.red, last.green, last.blue);
      out += line;
      break;
    }
  }
  return out;
}

}  // namespace

int runPalette(Args& args) {
  const auto schemeText = args.option("--scheme");
  const auto modeText = args.option("--mode");
  const auto userColours = args.option("--user-colours", 2);
  const auto formatText = args.option("--format");
  const auto output = args.option("-o");
  if (!args.positional().empty()) throw UsageError("unexpected argument " + quote(args.positional().front()));

  if (userColours && schemeText) throw UsageError("give either --scheme or --user-colours, not both");
  const int mode = modeText ? parseInteger(*modeText, "the mode", 0, 3) : 1;
  int scheme = schemeText ? parseInteger(*schemeText, "the scheme", 0, 5) : 1;
  BandLimits bands{};
  std::string limits;
  if (userColours) {
    const int top = parseInteger((*userColours)[0], "TOP", -100000, 100000);
    const int bottom = parseInteger((*userColours)[1], "BOTTOM", -100000, 100000);
    if (top < bottom) throw UsageError("TOP (" + std::to_string(top) + ") lies below BOTTOM (" + std::to_string(bottom) + ")");
    scheme = kUserColours;
    bands = buildBandLimits(top, bottom);
    limits = std::to_string(bottom) + " m to " + std::to_string(top) + " m";
  }
  Format format = Format::Csv;
  if (formatText) {
    if (*formatText == "csv") format = Format::Csv;
    else if (*formatText == "gdal") format = Format::Gdal;
    else if (*formatText == "cpt") format = Format::Cpt;
    else throw UsageError("unknown format " + quote(*formatText) + " (csv, gdal or cpt)");
  }

  const std::string text = render(format, scheme, mode, bands, limits);
  if (output) {
    AtomicFile file(*output);
    file.write(text);
    file.commit();
  } else {
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size()) {
      throw CommandError(std::string("cannot write to standard output: ") + std::strerror(errno));
    }
    flushStandardOutput();
  }
  return 0;
}

}  // namespace tarvelon::cli
