#include "capture/nombres_imagen.h"

namespace vardel::capture {

namespace {

const char* Prefijo(int k) {
  return k == 2 ? "REV" : "ANV";
}
const char* Extension(int k) {
  return k == 3 ? ".jpg" : ".tif";
}

// A field as it stands in a file name: digits, capital letters and "-"
// stay; every other byte ("_" itself, small letters, "/", ".", the bytes
// of any other character) becomes "_" and its two hexadecimal digits. No
// name can leave the image directory, and two different fields never give
// one name, not even on a file system that ignores letter case. The bank
// code is always four characters long, so the two fields joined still name
// one cheque alone.
std::string ParaNombreDeArchivo(const std::string& campo) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string nombre;
  for (const char byte : campo) {
    const auto c = static_cast<unsigned char>(byte);
    if ((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-') {
      nombre += static_cast<char>(c);
    } else {
      nombre += '_';
      nombre += kHex[c >> 4];
      nombre += kHex[c & 0x0F];
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

}  // namespace vardel::capture
