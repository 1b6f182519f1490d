#include "core/JpegDecoder.h"

#include <csetjmp>
#include <cstdio>  // jpeglib.h needs FILE and size_t first
#include <cstring>
#include <limits>

#include <jpeglib.h>

namespace tarvelon {

namespace {

struct ErrorManager {
  jpeg_error_mgr library;  // first, so that libjpeg's pointer is ours too
  std::jmp_buf jump;
  char message[JMSG_LENGTH_MAX];
};

// libjpeg's errors come back to the step that started the call, by a long
// jump: the steps below keep all their state in the Job, hold no objects
// with destructors, and so the jump skips nothing that must be undone.
[[noreturn]] void onError(j_common_ptr info) {
  auto* manager = reinterpret_cast<ErrorManager*>(info->err);
  (*info->err->format_message)(info, manager->message);
  std::longjmp(manager->jump, 1);
}

// Level -1 is a warning about damaged data (a short file, stray bytes); a
// damaged picture is refused rather than shown with a grey gap.
void onMessage(j_common_ptr info, int level) {
  if (level < 0) onError(info);
}

struct Job {
  jpeg_decompress_struct info;
  ErrorManager error;
  bool created;
  std::uint8_t* out;
};

bool startDecoding(Job& job, const std::uint8_t* data, std::size_t size, std::int64_t maxPixels) {
  if (setjmp(job.error.jump) != 0) return false;
  job.created = true;  // a failed create leaves nothing for destroy to free
  jpeg_create_decompress(&job.info);
  jpeg_mem_src(&job.info, data, static_cast<unsigned long>(size));
  if (jpeg_read_header(&job.info, TRUE) != JPEG_HEADER_OK) {
    std::snprintf(job.error.message, sizeof job.error.message, "The JPEG stream holds no picture");
    return false;
  }
  const std::int64_t pixels = std::int64_t(job.info.image_width) * job.info.image_height;
  if (job.info.image_width == 0 || job.info.image_height == 0 || pixels > maxPixels) {
    std::snprintf(job.error.message, sizeof job.error.message, "The JPEG picture is %u x %u pixels, too large",
                  job.info.image_width, job.info.image_height);
    return false;
  }
  job.info.out_color_space = JCS_RGB;
  if (jpeg_start_decompress(&job.info) != TRUE) return false;
  if (job.info.output_components != 3) {
    std::snprintf(job.error.message, sizeof job.error.message, "The JPEG picture does not decode to RGB");
    return false;
  }
  return true;
}

bool readRows(Job& job) {
  if (setjmp(job.error.jump) != 0) return false;
  const std::size_t stride = std::size_t(job.info.output_width) * 3;
  while (job.info.output_scanline < job.info.output_height) {
    JSAMPROW row = job.out + std::size_t(job.info.output_scanline) * stride;
    if (jpeg_read_scanlines(&job.info, &row, 1) != 1) {
      std::snprintf(job.error.message, sizeof job.error.message, "The JPEG stream ends inside the picture");
      return false;
    }
  }
  jpeg_finish_decompress(&job.info);
  return true;
}

// Frees libjpeg's state however decoding ends.
class JobCleanup {
 public:
  explicit JobCleanup(Job& job) : job_(job) {}
  ~JobCleanup() {
    if (job_.created) jpeg_destroy_decompress(&job_.info);
  }
  JobCleanup(const JobCleanup&) = delete;
  JobCleanup& operator=(const JobCleanup&) = delete;

 private:
  Job& job_;
};

}  // namespace

DecodedJpeg decodeJpeg(const std::uint8_t* data, std::size_t size, std::int64_t maxPixels) {
  DecodedJpeg result;
  if (data == nullptr || size == 0) {
    result.error = "The JPEG picture is empty";
    return result;
  }
  if (size > std::numeric_limits<unsigned long>::max()) {
    result.error = "The JPEG picture is too large";
    return result;
  }
  Job job;
  std::memset(&job, 0, sizeof job);
  job.info.err = jpeg_std_error(&job.error.library);
  job.error.library.error_exit = onError;
  job.error.library.emit_message = onMessage;
  JobCleanup cleanup(job);

  if (!startDecoding(job, data, size, maxPixels)) {
    result.error = job.error.message;
    return result;
  }
  result.width = static_cast<int>(job.info.output_width);
  result.height = static_cast<int>(job.info.output_height);
  result.rgb.resize(std::size_t(result.width) * std::size_t(result.height) * 3);
  job.out = result.rgb.data();
  if (!readRows(job)) {
    result = DecodedJpeg{};
    result.error = job.error.message;
    return result;
  }
  result.ok = true;
  return result;
}

#define TARVELON_STRINGIFY2(x) #x
#define TARVELON_STRINGIFY(x) TARVELON_STRINGIFY2(x)

const char* jpegLibraryVersion() {
#ifdef LIBJPEG_TURBO_VERSION
  return TARVELON_STRINGIFY(LIBJPEG_TURBO_VERSION);
#else
  return TARVELON_STRINGIFY(JPEG_LIB_VERSION);
#endif
}

}  // namespace tarvelon
