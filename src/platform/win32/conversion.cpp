#include <windows.h>

#include <oleauto.h>

#include <string>

#include "platform/conversion.h"
#include "platform/conversion_digitos.h"

namespace vardel::platform {

namespace {

// The text as UTF-16 for the automation runtime; nullopt when it is not
// valid UTF-8 or holds a NUL, which would cut it short there.
std::optional<std::wstring> AUtf16(std::string_view texto) {
  if (texto.empty() || texto.find('\0') != std::string_view::npos) {
    return std::nullopt;
  }
  const int largo_entrada = static_cast<int>(texto.size());
  const int largo =
      MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, texto.data(), largo_entrada, nullptr, 0);
  if (largo <= 0) {
    return std::nullopt;
  }
  std::wstring ancho(static_cast<std::size_t>(largo), L'\0');
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, texto.data(), largo_entrada, ancho.data(),
                          largo) != largo) {
    return std::nullopt;
  }
  return ancho;
}

}  // namespace

// Digit strings are read the same way on every platform; any other text goes
// to the runtime's conversion with the user's locale.
std::optional<double> TextoANumero(std::string_view texto) {
  if (digitos::SoloDigitos(texto)) {
    return digitos::NumeroDeDigitos(texto);
  }
  auto ancho = AUtf16(texto);
  if (!ancho) {
    return std::nullopt;
  }
  double valor = 0.0;
  if (FAILED(VarR8FromStr(ancho->data(), LOCALE_USER_DEFAULT, 0, &valor))) {
    return std::nullopt;
  }
  return valor;
}

// A digit date is day, month and year on every platform; the runtime's
// conversion does not read such a text that way.
std::optional<Fecha> TextoAFecha(std::string_view texto) {
  if (digitos::SoloDigitos(texto)) {
    return digitos::FechaDeDigitos(texto);
  }
  auto ancho = AUtf16(texto);
  if (!ancho) {
    return std::nullopt;
  }
  DATE fecha = 0.0;
  if (FAILED(VarDateFromStr(ancho->data(), LOCALE_USER_DEFAULT, 0, &fecha))) {
    return std::nullopt;
  }
  return Fecha{fecha};
}

}  // namespace vardel::platform
