#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

namespace vardel::cli::puente {

// The images this bridge stored (in this run, or in an earlier one for a
// document still in the outbox), by session and file name: the only files
// GET /v1/imagenes/<file name> serves, each only to the session whose read
// stored it. Another session's read of the same cheque takes nothing from
// this one. A name is looked up exactly; nothing is ever joined to a
// folder, so no request can reach another file. Filled on the component's
// and the network thread, read on the network thread.
class RegistroImagenes {
 public:
  // Notes a stored image for the session `token`; its URL path,
  // /v1/imagenes/<file name>.
  std::string Registra(const std::string& ruta, const std::string& token);
  // The file name an image is served under.
  static std::string Nombre(const std::string& ruta);
  // The stored path of `nombre` when `token` may have it.
  std::optional<std::string> Ruta(std::string_view nombre, std::string_view token) const;

 private:
  mutable std::mutex cerrojo_;
  // (token, file name) to the stored path.
  std::map<std::pair<std::string, std::string>, std::string> imagenes_;
};

// The Content-Type of an image file by its extension.
const char* TipoContenido(std::string_view nombre);

inline constexpr const char* kPrefijoImagenes = "/v1/imagenes/";

}  // namespace vardel::cli::puente
