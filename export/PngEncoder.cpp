// PNG maps through libpng, a row at a time.
#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <string>
#include <vector>

#include "core/MessageText.h"
#include "export/Encoders.h"
#include "export/FileOutput.h"

namespace tarvelon {

namespace {

// libpng reports errors by a long jump back to the setjmp of the call in
// progress. The functions below that call into libpng hold no object with
// a destructor across those calls, so the jump skips nothing.
class PngEncoder : public RowEncoder {
 public:
  explicit PngEncoder(const MapFileSpec& spec) : out_(spec.path), spec_(spec) {
    png_ = png_create_write_struct(PNG_LIBPNG_VER_STRING, this, &PngEncoder::onError, &PngEncoder::onWarning);
    if (png_ != nullptr) info_ = png_create_info_struct(png_);
    if (png_ == nullptr || info_ == nullptr) {
      destroy();
      throw WriteError("Cannot write " + quote(spec.path) + ": out of memory for the PNG encoder.");
    }
    stride_ = std::size_t(spec.width) * RowSink::bytesPerPixel(spec.content);
    alpha_ = hasAlpha(spec);
    if (alpha_) withAlpha_.resize(std::size_t(spec.width) * 4);  // colour maps only
    if (!start()) fail();
  }
  ~PngEncoder() override { destroy(); }

  std::size_t stride() const override { return stride_; }

  void writeBlock(int, int rows, const std::uint8_t* data, const std::uint8_t* mask) override {
    if (alpha_) {
      // Each row with its alpha after every pixel's colour, one at a time.
      // Colour maps only: blue, green, red, alpha.
      const std::size_t width = std::size_t(spec_.width);
      png_bytep row = withAlpha_.data();
      for (int i = 0; i < rows; ++i) {
        const std::uint8_t* from = data + std::size_t(i) * stride_;
        const std::uint8_t* alpha = mask + std::size_t(i) * width;
        std::uint8_t* to = withAlpha_.data();
        for (std::size_t x = 0; x < width; ++x, to += 4, from += 3) {
          to[0] = from[0];
          to[1] = from[1];
          to[2] = from[2];
          to[3] = alpha[x];
        }
        if (!writeRows(&row, 1)) fail();
      }
      return;
    }
    pointers_.resize(static_cast<std::size_t>(rows));
    for (int i = 0; i < rows; ++i) pointers_[i] = const_cast<png_bytep>(data + std::size_t(i) * stride_);
    if (!writeRows(pointers_.data(), static_cast<png_uint_32>(rows))) fail();
  }

  void finish() override {
    if (!end()) fail();
    out_.flush();
    out_.file().finish(false);
  }
  AtomicFile& file() override { return out_.file(); }

 private:
  bool start() {
    if (setjmp(png_jmpbuf(png_))) return false;
    png_set_write_fn(png_, this, &PngEncoder::onWrite, &PngEncoder::onFlush);
    // Maps are far wider than libpng's default limit of a million pixels.
    png_set_user_limits(png_, 0x7FFFFFFF, 0x7FFFFFFF);
    const bool grey = spec_.content == RowSink::Content::Light;
    const int type = grey ? PNG_COLOR_TYPE_GRAY : alpha_ ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB;
    png_set_IHDR(png_, info_, static_cast<png_uint_32>(spec_.width), static_cast<png_uint_32>(spec_.height), 8, type,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    // Relief maps are smooth along a row: the Sub filter leaves runs of
    // small differences that zlib's run-length mode at its fastest level
    // packs nearly as well as its default level does, at a fifth of the
    // time (a whole tile: 15 MB in 1.0 s against 12 MB in 7.7 s).
    png_set_filter(png_, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB);
    png_set_compression_level(png_, 1);
    png_set_compression_strategy(png_, Z_RLE);
    png_write_info(png_, info_);
    if (!grey) png_set_bgr(png_);  // rows come blue, green, red (and alpha)
    return true;
  }
  bool writeRows(png_bytepp rows, png_uint_32 count) {
    if (setjmp(png_jmpbuf(png_))) return false;
    png_write_rows(png_, rows, count);
    return true;
  }
  bool end() {
    if (setjmp(png_jmpbuf(png_))) return false;
    png_write_end(png_, info_);
    return true;
  }

  void destroy() {
    if (png_ != nullptr) png_destroy_write_struct(&png_, info_ != nullptr ? &info_ : nullptr);
    png_ = nullptr;
    info_ = nullptr;
  }
  [[noreturn]] void fail() {
    throw WriteError(problem_.empty() ? "Cannot write " + quote(spec_.path) + ": the PNG encoder failed." : problem_);
  }

  static void onError(png_structp png, png_const_charp message) {
    auto* self = static_cast<PngEncoder*>(png_get_error_ptr(png));
    if (self->problem_.empty()) self->problem_ = "Cannot write " + quote(self->spec_.path) + ": " + message;
    png_longjmp(png, 1);
  }
  static void onWarning(png_structp, png_const_charp) {}
  static void onWrite(png_structp png, png_bytep data, png_size_t size) {
    auto* self = static_cast<PngEncoder*>(png_get_io_ptr(png));
    bool failed = false;
    try {
      self->out_.append(data, size);
    } catch (const std::exception& e) {
      self->problem_ = e.what();
      failed = true;
    }
    if (failed) png_error(png, "write failed");
  }
  static void onFlush(png_structp) {}

  FileOutput out_;
  MapFileSpec spec_;
  png_structp png_ = nullptr;
  png_infop info_ = nullptr;
  std::size_t stride_ = 0;
  bool alpha_ = false;
  std::vector<std::uint8_t> withAlpha_;  // one row with its alpha
  std::vector<png_bytep> pointers_;
  std::string problem_;
};

}  // namespace

std::unique_ptr<RowEncoder> makePngEncoder(const MapFileSpec& spec) { return std::make_unique<PngEncoder>(spec); }

}  // namespace tarvelon
