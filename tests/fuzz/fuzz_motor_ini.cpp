// The private-profile engine over arbitrary file bytes: reading and writing
// never crash, hang or read out of bounds, and a value written is read back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/motor_ini.h"

namespace {

// Names and values that stay meaningful after the engine's trimming: no
// line breaks, no blanks at the ends, no leading "[".
std::string Limpio(std::string_view texto) {
  std::string limpio;
  for (const char c : texto) {
    if (c != '\r' && c != '\n' && c != '=' && c != '[' && c != ']' && c != ' ' && c != '\t' &&
        c != '\v' && c != '\f' && c != '\x1a' && c != '\0' && c != '"' && c != '\'') {
      limpio += c;
    }
  }
  return limpio;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* datos, std::size_t largo) {
  const std::string_view entrada(reinterpret_cast<const char*>(datos), largo);
  // The first bytes name the section and key asked for; the rest is the file.
  const std::size_t corte = entrada.size() < 16 ? entrada.size() : 16;
  const std::string_view nombres = entrada.substr(0, corte);
  const std::string_view archivo = entrada.substr(corte);
  const std::string seccion = Limpio(nombres.substr(0, nombres.size() / 2));
  const std::string clave = Limpio(nombres.substr(nombres.size() / 2));

  (void)vardel::platform::ini::BuscaValor(archivo, seccion, clave);
  if (seccion.empty() || clave.empty()) {
    return 0;
  }
  const std::string valor = "v" + clave;
  const std::string escrito = vardel::platform::ini::EscribeValor(archivo, seccion, clave, valor);
  const auto leido = vardel::platform::ini::BuscaValor(escrito, seccion, clave);
  if (!leido || *leido != valor) {
    std::abort();  // a write that does not read back
  }
  return 0;
}
