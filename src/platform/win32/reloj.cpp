#include <windows.h>

#include <oleauto.h>

#include "platform/reloj.h"
#include "platform/win32/recursos.h"

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
  platform::Bstr texto;
  if (FAILED(VarBstrFromDate(momento.serial, LOCALE_USER_DEFAULT, 0, texto.put()))) {
    return {};
  }
  const int ancho = static_cast<int>(SysStringLen(texto.get()));
  const int bytes =
      WideCharToMultiByte(CP_UTF8, 0, texto.get(), ancho, nullptr, 0, nullptr, nullptr);
  std::string salida(static_cast<std::size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, texto.get(), ancho, salida.data(), bytes, nullptr, nullptr);
  return salida;
}

}  // namespace vardel::platform
