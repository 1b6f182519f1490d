// Writing a picture of the asset builder; in the library, so that the
// builders can be linked into tests as well as into the tool.
#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <stdexcept>
#include <string>

#include "core/AtomicFile.h"
#include "tools/assets/Assets.h"

namespace tarvelon::assets {

void saveImage(const QImage& image, const std::filesystem::path& path, int quality) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  const std::string format = path.extension().string().substr(path.extension().empty() ? 0 : 1);
  if (!image.save(&buffer, format.c_str(), quality)) {
    throw std::runtime_error("cannot encode " + path.string() + " as " + format);
  }
  AtomicFile file(path.string());
  file.write(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  file.commit(false);
}

}  // namespace tarvelon::assets
