#include <windows.h>

#include <atomic>
#include <string>

#include "core/lanza_error.h"
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

// A temporary's name: the base, ".tmp-", this process's id and a counter.
std::string NombreTemporal(const std::string& base) {
  static std::atomic<unsigned> contador{0};
  return base + ".tmp-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(contador++);
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
  const std::string destino = AAnsi(ruta);
  const std::string temporal = NombreTemporal(destino);
  HANDLE archivo = CreateFileA(temporal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
  if (archivo == INVALID_HANDLE_VALUE) {
    LanzaErrorDeArchivo(GetLastError());
  }
  // On stable storage before the name points at it; the move itself is
  // written through.
  bool correcto = EscribeTodo(archivo, reinterpret_cast<const char*>(bytes.data()), bytes.size()) &&
                  FlushFileBuffers(archivo);
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

void CompruebaEscritura(const std::string& directorio, std::uint64_t espacio) {
  const std::string ansi = AAnsi(directorio);
  const DWORD atributos = GetFileAttributesA(ansi.c_str());
  if (atributos == INVALID_FILE_ATTRIBUTES) {
    LanzaErrorDeArchivo(GetLastError());
  }
  if ((atributos & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    LanzaError(errores::kRutaNoEncontrada);
  }
  const std::string prueba = NombreTemporal(ansi + "\\vardel-prueba");
  HANDLE archivo = CreateFileA(prueba.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                               FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (archivo == INVALID_HANDLE_VALUE) {
    LanzaErrorDeArchivo(GetLastError());
  }
  CloseHandle(archivo);
  ULARGE_INTEGER libre{};
  if (GetDiskFreeSpaceExA(ansi.c_str(), &libre, nullptr, nullptr) && libre.QuadPart < espacio) {
    LanzaError(errores::kDiscoLleno);
  }
}

std::vector<std::string> ArchivosDelDirectorio(const std::string& directorio) {
  std::vector<std::string> nombres;
  WIN32_FIND_DATAA datos{};
  HANDLE busqueda = FindFirstFileA((AAnsi(directorio) + "\\*").c_str(), &datos);
  if (busqueda == INVALID_HANDLE_VALUE) {
    return nombres;
  }
  do {
    if ((datos.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0) {
      nombres.push_back(DesdeAnsi(datos.cFileName));
    }
  } while (FindNextFileA(busqueda, &datos));
  FindClose(busqueda);
  return nombres;
}

bool ProcesoActivo(unsigned long id) {
  HANDLE proceso = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
  if (proceso == nullptr) {
    // No such process; any other refusal (access denied) means it exists.
    return GetLastError() != ERROR_INVALID_PARAMETER;
  }
  const bool activo = WaitForSingleObject(proceso, 0) == WAIT_TIMEOUT;
  CloseHandle(proceso);
  return activo;
}

unsigned long ProcesoActual() {
  return GetCurrentProcessId();
}

bool BorraArchivo(const std::string& ruta) {
  return DeleteFileA(AAnsi(ruta).c_str()) != 0;
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
