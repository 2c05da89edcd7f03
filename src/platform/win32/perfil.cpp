#include <windows.h>

#include <cstring>
#include <vector>

#include "core/text.h"
#include "platform/ansi.h"
#include "platform/perfil.h"
#include "platform/win32/recursos.h"

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
                          const std::string& valor, const std::string& archivo,
                          std::string* /*motivo*/) {
  const std::string ansi = AAnsi(archivo);
  if (!WritePrivateProfileStringA(AAnsi(seccion).c_str(), AAnsi(clave).c_str(),
                                  AAnsi(valor).c_str(), ansi.c_str())) {
    return false;
  }
  // The system writes the file; its content is flushed to stable storage
  // before the save is reported done.
  const ManejadorArchivo archivoIni(CreateFileA(ansi.c_str(), GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (archivoIni) {
    FlushFileBuffers(archivoIni.get());
  }
  return true;
}

bool ExisteSeccionPerfil(const std::string& seccion, const std::string& archivo) {
  const std::string ansi = AAnsi(archivo);
  std::vector<char> nombres(4096);
  // A list that does not fit comes back as the buffer's size minus two.
  while (GetPrivateProfileSectionNamesA(nombres.data(), static_cast<DWORD>(nombres.size()),
                                        ansi.c_str()) >= nombres.size() - 2 &&
         nombres.size() < (1u << 24)) {
    nombres.assign(nombres.size() * 4, '\0');
  }
  const std::string buscada = Recorta(AAnsi(seccion));
  // The names, each ending in NUL, the list in an empty name.
  for (const char* nombre = nombres.data(); *nombre != '\0'; nombre += std::strlen(nombre) + 1) {
    if (IgualesSinCaso(nombre, buscada)) {
      return true;
    }
  }
  return false;
}

}  // namespace vardel::platform
