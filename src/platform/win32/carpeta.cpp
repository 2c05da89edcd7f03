#include "platform/carpeta.h"

#include <windows.h>

#include "core/lanza_error.h"
#include "platform/ansi.h"
#include "platform/archivos.h"
#include "platform/archivos_plataforma.h"
#include "platform/win32/error_archivo.h"
#include "platform/win32/recursos.h"
#include "platform/win32/utf16.h"
#include "vardel/error.h"

namespace vardel::platform {

namespace {

// Reparse tags that send an open elsewhere: symbolic links, junctions and
// mount points, and the links of the Linux subsystem. Other reparse points
// (cloud placeholders, deduplicated files) are the file itself.
constexpr DWORD kEnlaceLinux = 0xA000001DL;
bool EsEtiquetaDeEnlace(DWORD etiqueta) {
  return etiqueta == IO_REPARSE_TAG_SYMLINK || etiqueta == IO_REPARSE_TAG_MOUNT_POINT ||
         etiqueta == kEnlaceLinux;
}

HANDLE ManejadorDe(const Carpeta& carpeta) {
  return reinterpret_cast<HANDLE>(carpeta.Manejador());
}

// The path the system resolved a handle to, in one normalized form.
std::wstring RutaFinal(HANDLE manejador) {
  std::wstring ruta(MAX_PATH, L'\0');
  DWORD largo = GetFinalPathNameByHandleW(manejador, ruta.data(), static_cast<DWORD>(ruta.size()),
                                          FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  if (largo >= ruta.size()) {
    ruta.resize(largo + 1);
    largo = GetFinalPathNameByHandleW(manejador, ruta.data(), static_cast<DWORD>(ruta.size()),
                                      FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
  }
  ruta.resize(largo < ruta.size() ? largo : 0);
  return ruta;
}

// The file opened is in the folder held, not where a link swapped in since
// the folder was resolved would have taken it. A system that cannot say
// either path is not second-guessed.
bool EnLaCarpeta(const Carpeta& carpeta, HANDLE archivo) {
  const std::wstring carpetaFinal = RutaFinal(ManejadorDe(carpeta));
  const std::wstring archivoFinal = RutaFinal(archivo);
  if (carpetaFinal.empty() || archivoFinal.empty()) {
    return true;
  }
  const auto barra = archivoFinal.find_last_of(L'\\');
  if (barra == std::wstring::npos) {
    return false;
  }
  return CompareStringOrdinal(archivoFinal.data(), static_cast<int>(barra), carpetaFinal.data(),
                              static_cast<int>(carpetaFinal.size()), TRUE) == CSTR_EQUAL;
}

// Where a file of the folder is now: under the path the held handle
// resolves to, not the path the folder was opened by, which a link could
// have taken since. The given path where the system cannot say.
std::wstring RutaEn(const Carpeta& carpeta, std::string_view nombre) {
  std::wstring ruta = RutaFinal(ManejadorDe(carpeta));
  if (ruta.empty()) {
    ruta = AUtf16(carpeta.Ruta());
  }
  ruta += L'\\';
  ruta += AUtf16(nombre);
  return ruta;
}

// The error of a failed operation in the folder. A folder removed while it
// is held answers "access denied" to every open in it: it is a path not
// found, as it would be had it not been held.
[[noreturn]] void FallaEn(const Carpeta& carpeta, DWORD codigo) {
  FILE_STANDARD_INFO datos{};
  if (codigo == ERROR_ACCESS_DENIED &&
      GetFileInformationByHandleEx(ManejadorDe(carpeta), FileStandardInfo, &datos, sizeof datos) &&
      datos.DeletePending) {
    codigo = ERROR_PATH_NOT_FOUND;
  }
  LanzaErrorDeArchivo(codigo);
}

[[noreturn]] void FueraDeLaCarpeta(const Carpeta& carpeta, const std::string& nombre) {
  LanzaErrorDeArchivo(ERROR_GEN_FAILURE, carpeta.RutaDe(nombre) + " lleva fuera de " +
                                             carpeta.Ruta() +
                                             " (un enlace) y no se escribe a través de él");
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

// A new file only where nothing has the name; checked to be in the folder.
ManejadorArchivo CreaNuevo(const Carpeta& carpeta, const std::string& nombre, DWORD acceso,
                           DWORD atributos) {
  ManejadorArchivo archivo(CreateFileW(RutaEn(carpeta, nombre).c_str(), acceso, 0, nullptr,
                                       CREATE_NEW, atributos, nullptr));
  if (archivo && !EnLaCarpeta(carpeta, archivo.get())) {
    FueraDeLaCarpeta(carpeta, nombre);
  }
  return archivo;
}

}  // namespace

Carpeta::Carpeta(const std::string& ruta)
    : ruta_(ruta), manejador_(reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE)) {
  // Held open, sharing everything: the folder may still be renamed or
  // removed as before, and every file is then named from where the held
  // handle says the folder is (RutaEn), so a link put at its old path
  // leads nowhere.
  ManejadorArchivo carpeta(
      CreateFileA(AAnsi(ruta).c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES,
                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                  FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (!carpeta) {
    LanzaErrorDeArchivo(GetLastError());
  }
  BY_HANDLE_FILE_INFORMATION datos{};
  if (!GetFileInformationByHandle(carpeta.get(), &datos) ||
      (datos.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    LanzaError(errores::kRutaNoEncontrada);
  }
  manejador_ = reinterpret_cast<std::intptr_t>(carpeta.release());
}

Carpeta::Carpeta(std::string ruta, std::intptr_t manejador) noexcept
    : ruta_(std::move(ruta)), manejador_(manejador) {}

Carpeta::~Carpeta() {
  if (ManejadorDe(*this) != INVALID_HANDLE_VALUE) {
    CloseHandle(ManejadorDe(*this));
  }
}

Carpeta::Carpeta(Carpeta&& otra) noexcept
    : ruta_(std::move(otra.ruta_)),
      manejador_(
          std::exchange(otra.manejador_, reinterpret_cast<std::intptr_t>(INVALID_HANDLE_VALUE))) {}

bool Carpeta::Existe(const std::string& nombre) const {
  return GetFileAttributesW(RutaEn(*this, nombre).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool Carpeta::CreaExclusivo(const std::string& nombre, std::string_view contenido) const {
  const ManejadorArchivo archivo = CreaNuevo(*this, nombre, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
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
          GetFileAttributesW(RutaEn(*this, nombre).c_str()) == INVALID_FILE_ATTRIBUTES &&
          (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_PATH_NOT_FOUND);
      if (!nada) {
        return false;
      }
    }
    FallaEn(*this, codigo);
  }
  if (!EscribeTodo(archivo.get(), contenido.data(), contenido.size())) {
    const DWORD codigo = GetLastError();
    DeleteFileW(RutaEn(*this, nombre).c_str());
    LanzaErrorDeArchivo(codigo);
  }
  return true;
}

void Carpeta::EscribeCompleto(const std::string& nombre,
                              const std::vector<std::uint8_t>& bytes) const {
  const std::string temporal = NombreTemporal(nombre);
  ManejadorArchivo archivo = CreaNuevo(*this, temporal, GENERIC_WRITE, FILE_ATTRIBUTE_NORMAL);
  if (!archivo) {
    FallaEn(*this, GetLastError());
  }
  const std::wstring rutaTemporal = RutaEn(*this, temporal);
  // On stable storage before the name points at it; the move itself is
  // written through.
  bool correcto =
      EscribeTodo(archivo.get(), reinterpret_cast<const char*>(bytes.data()), bytes.size()) &&
      FlushFileBuffers(archivo.get());
  DWORD codigo = correcto ? 0 : GetLastError();
  detalle::Anota("sincroniza", RutaDe(temporal));
  if (!CloseHandle(archivo.release()) && correcto) {
    correcto = false;
    codigo = GetLastError();
  }
  if (correcto && !MoveFileExW(rutaTemporal.c_str(), RutaEn(*this, nombre).c_str(),
                               MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    correcto = false;
    codigo = GetLastError();
  }
  if (!correcto) {
    DeleteFileW(rutaTemporal.c_str());
    FallaEn(*this, codigo);
  }
  // The move is written through: it is on disk when it returns.
  detalle::Anota("renombra", RutaDe(nombre));
  detalle::Anota("sincroniza-carpeta", RutaDe(nombre));
}

void Carpeta::AnadeLinea(const std::string& nombre, std::string_view bytes) const {
  const std::wstring ruta = RutaEn(*this, nombre);
  // The name itself is opened first, never what a link there points at.
  ManejadorArchivo archivo(CreateFileW(
      ruta.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
      nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  if (!archivo) {
    FallaEn(*this, GetLastError());
  }
  FILE_ATTRIBUTE_TAG_INFO etiqueta{};
  if (GetFileInformationByHandleEx(archivo.get(), FileAttributeTagInfo, &etiqueta,
                                   sizeof etiqueta) &&
      (etiqueta.FileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
    if (EsEtiquetaDeEnlace(etiqueta.ReparseTag)) {
      LanzaErrorDeArchivo(ERROR_GEN_FAILURE,
                          RutaDe(nombre) + " es un enlace y no se escribe a través de él");
    }
    // A placeholder of a synchronised folder, or another file a filter
    // serves: opened again through its filter, then checked to be here.
    archivo.reset(CreateFileW(ruta.c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!archivo) {
      LanzaErrorDeArchivo(GetLastError());
    }
  }
  if (!EnLaCarpeta(*this, archivo.get())) {
    FueraDeLaCarpeta(*this, nombre);
  }
  // A second name of a file elsewhere would carry the line out of the folder.
  BY_HANDLE_FILE_INFORMATION datos{};
  if (GetFileInformationByHandle(archivo.get(), &datos) && datos.nNumberOfLinks > 1) {
    LanzaErrorDeArchivo(
        ERROR_GEN_FAILURE,
        RutaDe(nombre) + " tiene otro nombre fuera de esta carpeta (un enlace duro)");
  }
  std::string linea(bytes);
  linea += "\r\n";
  if (!EscribeTodo(archivo.get(), linea.data(), linea.size())) {
    LanzaErrorDeArchivo(GetLastError());
  }
}

std::optional<std::string> Carpeta::Lee(const std::string& nombre, std::size_t maximo) const {
  const ManejadorArchivo archivo(CreateFileW(
      RutaEn(*this, nombre).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION datos{};
  if (!archivo || !GetFileInformationByHandle(archivo.get(), &datos) ||
      (datos.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return std::nullopt;
  }
  std::string contenido(maximo, '\0');
  DWORD leidos = 0;
  if (!ReadFile(archivo.get(), contenido.data(), static_cast<DWORD>(maximo), &leidos, nullptr)) {
    return std::nullopt;
  }
  contenido.resize(leidos);
  return contenido;
}

bool Carpeta::Renombra(const std::string& desde, const std::string& hacia) const {
  return MoveFileExW(RutaEn(*this, desde).c_str(), RutaEn(*this, hacia).c_str(),
                     MOVEFILE_WRITE_THROUGH) != 0;
}

bool Carpeta::Borra(const std::string& nombre) const {
  return DeleteFileW(RutaEn(*this, nombre).c_str()) != 0;
}

std::vector<std::string> Carpeta::Archivos(
    const std::function<bool(const std::string&)>& filtro) const {
  std::vector<std::string> nombres;
  WIN32_FIND_DATAW datos{};
  const BusquedaArchivos busqueda(FindFirstFileW(RutaEn(*this, "*").c_str(), &datos));
  if (!busqueda) {
    return nombres;
  }
  do {
    if ((datos.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0) {
      std::string nombre = AUtf8(datos.cFileName);
      if (filtro(nombre)) {
        nombres.push_back(std::move(nombre));
      }
    }
  } while (FindNextFileW(busqueda.get(), &datos));
  return nombres;
}

std::optional<std::int64_t> Carpeta::Antiguedad(const std::string& nombre) const {
  WIN32_FILE_ATTRIBUTE_DATA datos{};
  if (!GetFileAttributesExW(RutaEn(*this, nombre).c_str(), GetFileExInfoStandard, &datos)) {
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

void Carpeta::CompruebaEscritura(std::uint64_t espacio) const {
  const std::string prueba = NombreTemporal("vardel-prueba");
  if (!CreaNuevo(*this, prueba, GENERIC_WRITE | DELETE,
                 FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE)) {
    FallaEn(*this, GetLastError());
  }
  std::optional<std::uint64_t> libre;
  if (Sonda() != nullptr && Sonda()->espacioLibre) {
    libre = Sonda()->espacioLibre;
  } else if (ULARGE_INTEGER sistema{};
             GetDiskFreeSpaceExA(AAnsi(ruta_).c_str(), &sistema, nullptr, nullptr)) {
    libre = sistema.QuadPart;
  }
  if (libre && *libre < espacio) {
    LanzaError(errores::kDiscoLleno);
  }
}

// Windows grants writes through access lists, not owner and mode bits: the
// folders a settings file names are held and checked to be where they were
// resolved, and the rule of accounts is left to the access lists the
// installer gives the Vardel folders.
void CompruebaAlcance(const Carpeta&, const std::string&, const std::string&) {}

}  // namespace vardel::platform
