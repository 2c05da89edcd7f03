#include "device/buffer_lectora.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "platform/ansi.h"

namespace vardel::device {

std::int32_t AcotaTamano(std::int64_t tamano, std::int32_t capacidad) {
  const std::int64_t tope = std::max<std::int32_t>(capacidad, 0);
  return static_cast<std::int32_t>(std::clamp<std::int64_t>(tamano, 0, tope));
}

BufferTexto::BufferTexto(const std::string& utf8, std::size_t minimo, char relleno)
    : bytes_(platform::APaginaLectora(utf8)) {
  if (bytes_.size() < minimo) {
    bytes_.resize(minimo, relleno);
  }
  // A capacity must fit the library's 32-bit size, guard byte included.
  constexpr std::size_t kMaximo = std::numeric_limits<std::int32_t>::max() - 1;
  bytes_.resize(std::min(bytes_.size(), kMaximo));
  capacidad_ = static_cast<std::int32_t>(bytes_.size());
  bytes_.push_back('\0');
}

std::string BufferTexto::Utf8() const {
  return platform::DesdePaginaLectora(
      std::string_view(bytes_.data(), static_cast<std::size_t>(capacidad_)));
}

}  // namespace vardel::device
