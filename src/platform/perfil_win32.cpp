#include <windows.h>

#include <vector>

#include "platform/ansi.h"
#include "platform/perfil.h"

namespace vardel::platform {

std::string LeePerfilPrivado(const std::string& seccion, const std::string& clave,
                             const std::string& predeterminado, std::size_t capacidad,
                             const std::string& archivo) {
  if (capacidad == 0) {
    return {};
  }
  std::vector<char> buffer(capacidad, ' ');
  const DWORD copiados = GetPrivateProfileStringA(
      AAnsi(seccion).c_str(), AAnsi(clave).c_str(), AAnsi(predeterminado).c_str(), buffer.data(),
      static_cast<DWORD>(capacidad), AAnsi(archivo).c_str());
  const std::size_t largo = copiados < capacidad ? copiados : capacidad - 1;
  return DesdeAnsi(std::string_view(buffer.data(), largo));
}

bool EscribePerfilPrivado(const std::string& seccion, const std::string& clave,
                          const std::string& valor, const std::string& archivo) {
  return WritePrivateProfileStringA(AAnsi(seccion).c_str(), AAnsi(clave).c_str(),
                                    AAnsi(valor).c_str(), AAnsi(archivo).c_str()) != 0;
}

}  // namespace vardel::platform
