#include <cctype>
#include <exception>

#include "capture/directorio_imagenes.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "vardel/error.h"

namespace vardel::captura {

namespace {

bool SoloDigitos(const std::string& texto) {
  if (texto.empty()) {
    return false;
  }
  for (const char c : texto) {
    if (std::isdigit(static_cast<unsigned char>(c)) == 0) {
      return false;
    }
  }
  return true;
}

// A name an image write or the directory probe gives its temporary: an
// image name ("ANV", "REV", "ERRANV" or "ERRREV", letters, digits, "-" and
// "_", ".tif" or ".jpg") or "vardel-prueba", then ".tmp-" and two numbers.
// Gives the writer's process id, or 0 when the name is not one of these.
unsigned long ProcesoDelTemporal(const std::string& nombre) {
  const auto marca = nombre.rfind(".tmp-");
  if (marca == std::string::npos) {
    return 0;
  }
  const std::string base = nombre.substr(0, marca);
  const std::string cola = nombre.substr(marca + 5);
  const auto guion = cola.find('-');
  if (guion == std::string::npos || !SoloDigitos(cola.substr(0, guion)) ||
      !SoloDigitos(cola.substr(guion + 1)) || guion > 10) {
    return 0;
  }
  bool propio = base == "vardel-prueba";
  if (!propio && base.size() > 4) {
    const std::string extension = base.substr(base.size() - 4);
    const std::string raiz = base.substr(0, base.size() - 4);
    propio = (extension == ".tif" || extension == ".jpg") &&
             (raiz.rfind("ANV", 0) == 0 || raiz.rfind("REV", 0) == 0 ||
              raiz.rfind("ERRANV", 0) == 0 || raiz.rfind("ERRREV", 0) == 0);
    for (const char c : raiz) {
      propio = propio && (std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '-' || c == '_');
    }
  }
  return propio ? std::stoul(cola.substr(0, guion)) : 0;
}

}  // namespace

void BorraTemporalesHuerfanos() {
  try {
    const std::string directorio = DirectorioImagenes();
    for (const std::string& nombre : platform::ArchivosDelDirectorio(directorio)) {
      const unsigned long proceso = ProcesoDelTemporal(nombre);
      if (proceso != 0 && proceso != platform::ProcesoActual() &&
          !platform::ProcesoActivo(proceso)) {
        platform::BorraArchivo(directorio + platform::kSeparador + nombre);
      }
    }
  } catch (const std::exception&) {
    // An unusable directory is reported by the check before feeding.
  }
}

}  // namespace vardel::captura
