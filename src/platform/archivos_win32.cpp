#include <windows.h>

#include <atomic>
#include <string>

#include "core/error.h"
#include "platform/ansi.h"
#include "platform/archivos.h"

namespace vardel::platform {

namespace {

// The automation runtime's number for a failed file operation.
[[noreturn]] void LanzaErrorDeArchivo(DWORD codigo) {
  switch (codigo) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      LanzaError(errores::kRutaNoEncontrada);
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      LanzaError(errores::kPermisoDenegado);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      LanzaError(errores::kDiscoLleno);
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      LanzaError(errores::kMemoriaInsuficiente);
    default:
      LanzaError(errores::kErrorAccesoRuta);
  }
}

bool EscribeTodo(HANDLE archivo, const char* datos, std::size_t largo) {
  while (largo > 0) {
    const DWORD trozo = largo > 0x40000000 ? 0x40000000 : static_cast<DWORD>(largo);
    DWORD escritos = 0;
    if (!WriteFile(archivo, datos, trozo, &escritos, nullptr)) {
      return false;
    }
    datos += escritos;
    largo -= escritos;
  }
  return true;
}

}  // namespace

bool ExisteRuta(const std::string& ruta) {
  return !ruta.empty() && GetFileAttributesA(AAnsi(ruta).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CreaDirectorio(const std::string& ruta) {
  if (!CreateDirectoryA(AAnsi(ruta).c_str(), nullptr)) {
    const DWORD codigo = GetLastError();
    LanzaErrorDeArchivo(codigo == ERROR_ALREADY_EXISTS ? ERROR_GEN_FAILURE : codigo);
  }
}

void EscribeArchivoCompleto(const std::string& ruta, const std::vector<std::uint8_t>& bytes) {
  static std::atomic<unsigned> contador{0};
  const std::string destino = AAnsi(ruta);
  const std::string temporal =
      destino + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(contador++);
  HANDLE archivo = CreateFileA(temporal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (archivo == INVALID_HANDLE_VALUE) {
    LanzaErrorDeArchivo(GetLastError());
  }
  bool correcto = EscribeTodo(archivo, reinterpret_cast<const char*>(bytes.data()), bytes.size());
  DWORD codigo = correcto ? 0 : GetLastError();
  if (!CloseHandle(archivo) && correcto) {
    correcto = false;
    codigo = GetLastError();
  }
  if (correcto && !MoveFileExA(temporal.c_str(), destino.c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    correcto = false;
    codigo = GetLastError();
  }
  if (!correcto) {
    DeleteFileA(temporal.c_str());
    LanzaErrorDeArchivo(codigo);
  }
}

void AnadeLinea(const std::string& ruta, std::string_view bytes) {
  HANDLE archivo =
      CreateFileA(AAnsi(ruta).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (archivo == INVALID_HANDLE_VALUE) {
    LanzaErrorDeArchivo(GetLastError());
  }
  std::string linea(bytes);
  linea += "\r\n";
  const bool correcto = EscribeTodo(archivo, linea.data(), linea.size());
  const DWORD codigo = GetLastError();
  CloseHandle(archivo);
  if (!correcto) {
    LanzaErrorDeArchivo(codigo);
  }
}

}  // namespace vardel::platform
