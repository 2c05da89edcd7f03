#include <windows.h>

#include "platform/ansi.h"
#include "platform/ruta_corta.h"

namespace vardel::platform {

std::string RutaCortaPlataforma(const std::string& ruta) {
  char buffer[260] = {};
  const DWORD largo = GetShortPathNameA(AAnsi(ruta).c_str(), buffer, sizeof buffer);
  // 0 is a path that does not exist; a count above the capacity means the
  // buffer was left unfilled, which is no short form either.
  if (largo == 0 || largo >= sizeof buffer) {
    return {};
  }
  return DesdeAnsi(std::string_view(buffer, largo));
}

}  // namespace vardel::platform
