// The private-profile engine over arbitrary file bytes: reading and writing
// never crash, hang or read out of bounds, and a value written is read back.
// A Unicode file (one that starts with FF FE) also goes through its
// encodings: decoded and encoded back it is the same bytes, and a write stays
// Unicode and reads back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/ansi.h"
#include "platform/codificacion_ini.h"
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

  namespace ini = vardel::platform::ini;
  if (!archivo.starts_with("\xFF\xFE")) {
    return 0;
  }
  const std::string_view unidades = archivo.substr(2);
  if (unidades.size() % 2 == 0 && ini::Utf8AUtf16(ini::Utf16AUtf8(unidades)) != unidades) {
    std::abort();  // the encodings lose something
  }
  // The names as the code page gives them back, cleaned again: the code
  // page's conversion may turn bytes that are not UTF-8 into line breaks.
  const auto porLaPagina = [](const std::string& nombre) {
    return Limpio(vardel::platform::DesdeAnsi(vardel::platform::AAnsi(nombre)));
  };
  const std::string seccionUnicode = porLaPagina(seccion);
  const std::string claveUnicode = porLaPagina(clave);
  if (seccionUnicode.empty() || claveUnicode.empty()) {
    return 0;
  }
  const std::string unicode =
      ini::ConValorEscrito(archivo, seccionUnicode, claveUnicode, "v" + claveUnicode);
  if (!unicode.starts_with("\xFF\xFE") || ini::ValorEnAnsi(unicode, seccionUnicode, claveUnicode) !=
                                              vardel::platform::AAnsi("v" + claveUnicode)) {
    std::abort();  // a Unicode file that does not stay one, or does not read back
  }
  return 0;
}
