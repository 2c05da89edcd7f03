#include <windows.h>

#include <oleauto.h>

#include "platform/reloj.h"

namespace vardel::platform {

Fecha Ahora() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  local.wMilliseconds = 0;
  double serial = 0;
  SystemTimeToVariantTime(&local, &serial);
  return Fecha{serial};
}

std::string FechaHoraGeneral(Fecha momento) {
  // The automation runtime's own text of a date: the user's short date and
  // long time, the date alone at midnight.
  BSTR texto = nullptr;
  if (FAILED(VarBstrFromDate(momento.serial, LOCALE_USER_DEFAULT, 0, &texto))) {
    return {};
  }
  const int ancho = static_cast<int>(SysStringLen(texto));
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, texto, ancho, nullptr, 0, nullptr, nullptr);
  std::string salida(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, texto, ancho, salida.data(), bytes, nullptr, nullptr);
  SysFreeString(texto);
  return salida;
}

}  // namespace vardel::platform
