// Where the rows of a map go when the host keeps no picture of it: the
// command-line tool writes each row to its file as soon as it is finished,
// so that the map never has to fit in memory.
#pragma once

#include <cstdint>

namespace tarvelon {

class RowSink {
 public:
  // What each pixel of a row holds.
  enum class Content {
    Colour,     // 3 bytes: blue, green, red (relief shading applied when the state asks for it)
    Light,      // 1 byte: the grey level of the relief shading alone
    Elevation,  // 2 bytes: the sample itself, a signed 16-bit integer in the machine's byte order,
                // or kNoElevation where no sample lies behind the pixel
  };
  static constexpr std::int16_t kNoElevation = -32768;
  static constexpr int bytesPerPixel(Content content) {
    return content == Content::Colour ? 3 : content == Content::Light ? 1 : 2;
  }

  virtual ~RowSink() = default;
  virtual Content content() const = 0;
  // Where the pixels of row y go, width x bytesPerPixel bytes; valid until
  // rowDone(y). Rows are asked for top to bottom, each once.
  virtual std::uint8_t* rowBuffer(int y) = 0;
  // Where row y says which of its pixels show a sample: one byte a pixel,
  // 255 where one does, 0 where no sample lies behind the pixel (a row or
  // column the renderer draws no sample for, or a sample outside
  // -8200 .. 21250 m). Valid until rowDone(y); nullptr for a sink that
  // keeps no such mask.
  virtual std::uint8_t* maskBuffer(int) { return nullptr; }
  // Row y is complete.
  virtual void rowDone(int y) = 0;
};

}  // namespace tarvelon
