#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The bridge's checks on what a request says of itself, as pure functions:
// the network side applies them to every request before anything else.
namespace vardel::cli::puente {

// A Host header that names this machine's loopback: localhost, 127.0.0.1
// or [::1], with no port or this bridge's port. Anything else is a name a
// page's own server made resolve to 127.0.0.1 (DNS rebinding).
bool HostDeBucle(std::string_view host, std::uint16_t puerto);

// An origin as a browser sends it: scheme "http" or "https", "://", a host
// and an optional port; no path, no user, no trailing slash.
bool OrigenBienFormado(std::string_view origen);

// Exact match against the allowed origins (none allowed: always false).
bool OrigenPermitido(std::string_view origen, const std::vector<std::string>& permitidos);

// Origins from Config.ini or the command line, separated by spaces or
// commas.
std::vector<std::string> SeparaOrigenes(std::string_view texto);

using Cabeceras = std::vector<std::pair<std::string, std::string>>;

// What a request to the bridge asks of CORS.
struct PeticionCors {
  std::string origen;      // "" when the request carried none
  bool preflight = false;  // OPTIONS with Access-Control-Request-Method
  // Access-Control-Request-Private-Network: true
  bool redPrivada = false;
};

// The CORS headers of the answer: none for an origin not allowed, so the
// browser keeps the answer from the page.
Cabeceras CabecerasCors(const PeticionCors& peticion, const std::vector<std::string>& permitidos);

// A name the image registry may be asked for: not empty, no folder
// separator, no "." or "..", no control character, no drive colon.
bool NombreImagenSeguro(std::string_view nombre);

// The token of "Authorization: Bearer <token>"; empty when there is none.
std::string TokenPortador(std::string_view autorizacion);

// `cuantos` bytes from the system's own entropy source (getrandom on
// Linux, BCryptGenRandom on Windows); throws std::runtime_error when it
// fails, never falls back to a weaker one.
std::vector<unsigned char> BytesAleatorios(std::size_t cuantos);

// Equal tokens, compared without a timing that tells how much matched.
bool MismoToken(std::string_view a, std::string_view b);

// %XX escapes decoded; nullopt when an escape is malformed or decodes to
// NUL.
std::optional<std::string> DescodificaPorcentaje(std::string_view texto);
// Every byte outside letters, digits and "-._~" as %XX.
std::string CodificaPorcentaje(std::string_view texto);

// The value of `clave` in a URL's query ("a=1&token=x"); "" when absent.
std::string ValorConsulta(std::string_view consulta, std::string_view clave);

}  // namespace vardel::cli::puente
