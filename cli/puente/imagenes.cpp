#include "imagenes.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "seguridad.h"

namespace vardel::cli::puente {

std::string RegistroImagenes::Nombre(const std::string& ruta) {
  return std::filesystem::path(ruta).filename().string();
}

std::string RegistroImagenes::Registra(const std::string& ruta, const std::string& token) {
  const std::string nombre = Nombre(ruta);
  {
    const std::lock_guard<std::mutex> cierre(cerrojo_);
    imagenes_[{token, nombre}] = ruta;
  }
  return kPrefijoImagenes + CodificaPorcentaje(nombre);
}

// The token was found live, compared in constant time, before this
// look-up: the map's comparison tells an attacker nothing new.
std::optional<std::string> RegistroImagenes::Ruta(std::string_view nombre,
                                                  std::string_view token) const {
  const std::lock_guard<std::mutex> cierre(cerrojo_);
  const auto it = imagenes_.find({std::string(token), std::string(nombre)});
  if (it == imagenes_.end()) {
    return std::nullopt;
  }
  return it->second;
}

const char* TipoContenido(std::string_view nombre) {
  const auto punto = nombre.rfind('.');
  std::string extension(punto == std::string_view::npos ? "" : nombre.substr(punto + 1));
  std::transform(extension.begin(), extension.end(), extension.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (extension == "tif" || extension == "tiff") {
    return "image/tiff";
  }
  if (extension == "jpg" || extension == "jpeg") {
    return "image/jpeg";
  }
  if (extension == "png") {
    return "image/png";
  }
  if (extension == "bmp") {
    return "image/bmp";
  }
  if (extension == "gif") {
    return "image/gif";
  }
  return "application/octet-stream";
}

}  // namespace vardel::cli::puente
