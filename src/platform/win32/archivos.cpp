#include <windows.h>

#include <string>

#include "core/lanza_error.h"
#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/archivos_plataforma.h"
#include "platform/win32/recursos.h"

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

namespace detalle {

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

bool CreaExclusivo(const std::string& ruta) {
  const ManejadorArchivo archivo(CreateFileA(AAnsi(ruta).c_str(), GENERIC_WRITE, 0, nullptr,
                                             CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!archivo) {
    const DWORD codigo = GetLastError();
    if (codigo == ERROR_FILE_EXISTS || codigo == ERROR_ALREADY_EXISTS) {
      return false;
    }
    // A name whose file another process has just deleted, while a handle
    // to it is still open, answers "access denied" until that handle
    // closes: the name is taken, not the folder closed to us. Only when
    // nothing stands at the name is the refusal the folder's.
    if (codigo == ERROR_ACCESS_DENIED) {
      const bool nada =
          GetFileAttributesA(AAnsi(ruta).c_str()) == INVALID_FILE_ATTRIBUTES &&
          (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
      if (!nada) {
        return false;
      }
    }
    LanzaErrorDeArchivo(codigo);
  }
  return true;
}

void EscribeArchivoCompleto(const std::string& ruta, const std::vector<std::uint8_t>& bytes) {
  const std::string destino = AAnsi(ruta);
  const std::string temporal = AAnsi(NombreTemporal(ruta));
  ManejadorArchivo archivo(CreateFileA(temporal.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!archivo) {
    LanzaErrorDeArchivo(GetLastError());
  }
  // On stable storage before the name points at it; the move itself is
  // written through.
  bool correcto =
      EscribeTodo(archivo.get(), reinterpret_cast<const char*>(bytes.data()), bytes.size()) &&
      FlushFileBuffers(archivo.get());
  DWORD codigo = correcto ? 0 : GetLastError();
  detalle::Anota("sincroniza", DesdeAnsi(temporal));
  if (!CloseHandle(archivo.release()) && correcto) {
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
  // The move is written through: it is on disk when it returns.
  detalle::Anota("renombra", ruta);
  detalle::Anota("sincroniza-carpeta", ruta);
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
  const std::string prueba = AAnsi(NombreTemporal(directorio + "\\vardel-prueba"));
  if (!ManejadorArchivo(CreateFileA(prueba.c_str(), GENERIC_WRITE | DELETE, 0, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE,
                                    nullptr))) {
    LanzaErrorDeArchivo(GetLastError());
  }
  std::optional<std::uint64_t> libre;
  if (Sonda() != nullptr && Sonda()->espacioLibre) {
    libre = Sonda()->espacioLibre;
  } else if (ULARGE_INTEGER sistema{};
             GetDiskFreeSpaceExA(ansi.c_str(), &sistema, nullptr, nullptr)) {
    libre = sistema.QuadPart;
  }
  if (libre && *libre < espacio) {
    LanzaError(errores::kDiscoLleno);
  }
}

std::vector<std::string> ArchivosDelDirectorio(
    const std::string& directorio, const std::function<bool(const std::string&)>& filtro) {
  std::vector<std::string> nombres;
  WIN32_FIND_DATAA datos{};
  const BusquedaArchivos busqueda(FindFirstFileA((AAnsi(directorio) + "\\*").c_str(), &datos));
  if (!busqueda) {
    return nombres;
  }
  do {
    if ((datos.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0) {
      std::string nombre = DesdeAnsi(datos.cFileName);
      if (filtro(nombre)) {
        nombres.push_back(std::move(nombre));
      }
    }
  } while (FindNextFileA(busqueda.get(), &datos));
  return nombres;
}

std::optional<std::int64_t> AntiguedadArchivo(const std::string& ruta) {
  WIN32_FILE_ATTRIBUTE_DATA datos{};
  if (!GetFileAttributesExA(AAnsi(ruta).c_str(), GetFileExInfoStandard, &datos)) {
    return std::nullopt;
  }
  FILETIME ahora{};
  GetSystemTimeAsFileTime(&ahora);
  const auto cientos = [](const FILETIME& t) {
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(t.dwHighDateTime) << 32) |
                                     t.dwLowDateTime);
  };
  return (cientos(ahora) - cientos(datos.ftLastWriteTime)) / 10000000;
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

bool BorraArchivo(const std::string& ruta) {
  return DeleteFileA(AAnsi(ruta).c_str()) != 0;
}

void AnadeLinea(const std::string& ruta, std::string_view bytes) {
  // The link itself is opened, never what it points at: a link at the
  // log's name is refused rather than written through.
  const ManejadorArchivo archivo(CreateFileA(
      AAnsi(ruta).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!archivo) {
    LanzaErrorDeArchivo(GetLastError());
  }
  BY_HANDLE_FILE_INFORMATION datos{};
  if (GetFileInformationByHandle(archivo.get(), &datos) &&
      (datos.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    LanzaError(errores::kErrorAccesoRuta);
  }
  std::string linea(bytes);
  linea += "\r\n";
  const bool correcto = EscribeTodo(archivo.get(), linea.data(), linea.size());
  const DWORD codigo = GetLastError();
  if (!correcto) {
    LanzaErrorDeArchivo(codigo);
  }
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
