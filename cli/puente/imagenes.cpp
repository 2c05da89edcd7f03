#include "imagenes.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "seguridad.h"

namespace vardel::cli::puente {

std::string RegistroImagenes::Registra(const std::string& ruta, const std::string& token) {
  const std::string nombre = std::filesystem::path(ruta).filename().string();
  {
    const std::lock_guard<std::mutex> cierre(cerrojo_);
    imagenes_[nombre] = Imagen{ruta, token};
  }
  return kPrefijoImagenes + CodificaPorcentaje(nombre);
}

std::optional<std::string> RegistroImagenes::Ruta(std::string_view nombre,
                                                  std::string_view token) const {
  const std::lock_guard<std::mutex> cierre(cerrojo_);
  const auto it = imagenes_.find(nombre);
  if (it == imagenes_.end() || !MismoToken(it->second.token, token)) {
    return std::nullopt;
  }
  return it->second.ruta;
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
