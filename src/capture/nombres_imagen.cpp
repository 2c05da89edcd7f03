#include "capture/nombres_imagen.h"

namespace vardel::captura {

namespace {

const char* Prefijo(int k) {
  return k == 2 ? "REV" : "ANV";
}
const char* Extension(int k) {
  return k == 3 ? ".jpg" : ".tif";
}

std::string ParaNombreDeArchivo(const std::string& campo) {
  std::string nombre;
  for (const char byte : campo) {
    const auto c = static_cast<unsigned char>(byte);
    const bool valido = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
                        (c >= '0' && c <= '9') || c == '-' || c == '_';
    if (valido) {
      nombre += static_cast<char>(c);
    } else if (c < 0x80 || c >= 0xC0) {
      nombre += '_';  // one "_" per character, not per byte of it
    }
  }
  return nombre;
}

}  // namespace

std::string NombreImagenCheque(int k, const Collection& datosLinea) {
  return Prefijo(k) + ParaNombreDeArchivo(ATexto(datosLinea.Item("Entidad"))) +
         ParaNombreDeArchivo(ATexto(datosLinea.Item("NumDoc"))) + Extension(k);
}

std::string NombreImagenError(int k, std::int16_t indiceError) {
  return std::string("ERR") + Prefijo(k) + std::to_string(indiceError) + Extension(k);
}

std::string NombreArchivoImagen(int k, const std::shared_ptr<Collection>& datos) {
  if (!datos) {
    return {};
  }
  if (datos->Contiene("IDERR")) {
    return NombreImagenError(k, datos->Item("IDERR").AsInteger());
  }
  return NombreImagenCheque(k, *datos);
}

}  // namespace vardel::captura
