#include <windows.h>

#include <string>

#include "core/lanza_error.h"
#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/archivos_plataforma.h"
#include "platform/win32/error_archivo.h"
#include "platform/win32/recursos.h"
#include "vardel/error.h"

namespace vardel::platform {

namespace {

// The automation runtime's number for a failed file operation.
int32_t NumeroDeError(DWORD codigo) {
  switch (codigo) {
    case ERROR_PATH_NOT_FOUND:
    case ERROR_FILE_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
      return errores::kRutaNoEncontrada;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
      return errores::kPermisoDenegado;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return errores::kDiscoLleno;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
      return errores::kMemoriaInsuficiente;
    default:
      return errores::kErrorAccesoRuta;
  }
}

}  // namespace

void LanzaErrorDeArchivo(DWORD codigo) {
  LanzaError(NumeroDeError(codigo));
}

void LanzaErrorDeArchivo(DWORD codigo, const std::string& motivo) {
  const int32_t numero = NumeroDeError(codigo);
  LanzaError(numero, DescripcionError(numero) + ": " + motivo);
}

namespace detalle {

std::string IdentidadEquipoSistema() {
  // Made when Windows is installed, and unique to the installation. Read
  // from the 64-bit view: a 32-bit process would otherwise not see it.
  ClaveRegistro clave;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Cryptography", 0,
                    KEY_QUERY_VALUE | KEY_WOW64_64KEY, clave.put()) != ERROR_SUCCESS) {
    return {};
  }
  char guid[64] = {};
  DWORD largo = sizeof guid - 1;
  DWORD tipo = 0;
  if (RegQueryValueExA(clave.get(), "MachineGuid", nullptr, &tipo, reinterpret_cast<BYTE*>(guid),
                       &largo) != ERROR_SUCCESS ||
      tipo != REG_SZ) {
    return {};
  }
  return guid;
}

std::string NombreEquipoSistema() {
  char nombre[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD largo = sizeof nombre;
  return GetComputerNameA(nombre, &largo) ? std::string(nombre, largo) : std::string();
}

}  // namespace detalle

bool ExisteRuta(const std::string& ruta) {
  return !ruta.empty() && GetFileAttributesA(AAnsi(ruta).c_str()) != INVALID_FILE_ATTRIBUTES;
}

void CreaDirectorio(const std::string& ruta) {
  if (!CreateDirectoryA(AAnsi(ruta).c_str(), nullptr)) {
    const DWORD codigo = GetLastError();
    LanzaErrorDeArchivo(codigo == ERROR_ALREADY_EXISTS ? ERROR_GEN_FAILURE : codigo);
  }
}

bool ProcesoActivo(unsigned long id) {
  const Manejador proceso(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id)));
  if (!proceso) {
    // No such process; any other refusal (access denied) means it exists.
    return GetLastError() != ERROR_INVALID_PARAMETER;
  }
  return WaitForSingleObject(proceso.get(), 0) == WAIT_TIMEOUT;
}

unsigned long ProcesoActual() {
  return GetCurrentProcessId();
}

std::string RutaCortaPlataforma(const std::string& ruta) {
  char buffer[260] = {};
  const DWORD largo = GetShortPathNameA(AAnsi(ruta).c_str(), buffer, sizeof buffer);
  // 0 is a path that does not exist; a count above the capacity means the
  // buffer was left unfilled, which is no short form either.
  if (largo == 0 || largo >= sizeof buffer) {
    return {};
  }
  return DesdeAnsi(std::string_view(buffer, largo));
}

}  // namespace vardel::platform
