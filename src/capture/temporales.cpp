#include "capture/directorio_imagenes.h"
#include "platform/archivos.h"

namespace vardel::capture {

namespace {

// A name this component's image writes or the folder probe give their
// temporaries: an image name ("ANV", "REV", "ERRANV" or "ERRREV", then
// letters, digits, "-" and "_", ".tif" or ".jpg") or "vardel-prueba".
bool BaseDeTemporalPropio(std::string_view base) {
  if (base == "vardel-prueba") {
    return true;
  }
  if (base.size() <= 4) {
    return false;
  }
  const std::string_view extension = base.substr(base.size() - 4);
  const std::string_view raiz = base.substr(0, base.size() - 4);
  bool propio = (extension == ".tif" || extension == ".jpg") &&
                (raiz.rfind("ANV", 0) == 0 || raiz.rfind("REV", 0) == 0 ||
                 raiz.rfind("ERRANV", 0) == 0 || raiz.rfind("ERRREV", 0) == 0);
  for (const char c : raiz) {
    const bool letra = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
    propio = propio && (letra || (c >= '0' && c <= '9') || c == '-' || c == '_');
  }
  return propio;
}

}  // namespace

void BorraTemporalesHuerfanos(const std::string& directorio) {
  if (!directorio.empty()) {
    platform::BorraTemporalesAbandonados(directorio, BaseDeTemporalPropio);
  }
}

}  // namespace vardel::capture
