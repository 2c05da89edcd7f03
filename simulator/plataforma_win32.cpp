#include <windows.h>

#include "plataforma.h"

namespace mtxsim {

std::string DirectorioModulo() {
  HMODULE modulo = nullptr;
  if (!GetModuleHandleExA(
          GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
          reinterpret_cast<LPCSTR>(&DirectorioModulo), &modulo)) {
    return "";
  }
  char ruta[MAX_PATH + 1] = {};
  const DWORD longitud = GetModuleFileNameA(modulo, ruta, MAX_PATH);
  if (longitud == 0 || longitud >= MAX_PATH) {
    return "";
  }
  return DirectorioDe(std::string(ruta, longitud));
}

std::string VariableEntorno(const char* nombre) {
  char valor[4096] = {};
  const DWORD longitud = GetEnvironmentVariableA(nombre, valor, sizeof valor);
  if (longitud == 0 || longitud >= sizeof valor) {
    return "";
  }
  return std::string(valor, longitud);
}

bool EsRutaAbsoluta(const std::string& ruta) {
  if (ruta.size() >= 2 && ruta[1] == ':') {
    return true;
  }
  return !ruta.empty() && (ruta[0] == '\\' || ruta[0] == '/');
}

}  // namespace mtxsim
