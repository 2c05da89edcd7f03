#include <windows.h>

#include <cstdlib>
#include <stdexcept>

#include "archivo_duradero.h"

namespace vardel::cli::puente {

namespace {

namespace fs = std::filesystem;

[[noreturn]] void Falla(const std::string& que, const fs::path& ruta) {
  throw std::runtime_error(que + " " + ruta.string() + ": error " + std::to_string(GetLastError()));
}

void EscribeTodo(HANDLE manejador, std::string_view texto, const fs::path& ruta) {
  while (!texto.empty()) {
    DWORD escritos = 0;
    const DWORD parte = texto.size() > 1u << 20 ? 1u << 20 : static_cast<DWORD>(texto.size());
    if (WriteFile(manejador, texto.data(), parte, &escritos, nullptr) == 0) {
      Falla("no se puede escribir", ruta);
    }
    texto.remove_prefix(escritos);
  }
}

void Sincroniza(HANDLE manejador, const fs::path& ruta) {
  if (FlushFileBuffers(manejador) == 0) {
    Falla("no se puede llevar a disco", ruta);
  }
}

// Opens without following a link or junction at the file's place: a
// reparse point there is refused.
HANDLE Abre(const fs::path& ruta, DWORD acceso, DWORD creacion) {
  HANDLE manejador = CreateFileW(ruta.c_str(), acceso, FILE_SHARE_READ, nullptr, creacion,
                                 FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (manejador == INVALID_HANDLE_VALUE) {
    return manejador;
  }
  BY_HANDLE_FILE_INFORMATION datos{};
  if (GetFileInformationByHandle(manejador, &datos) == 0 ||
      (datos.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    CloseHandle(manejador);
    SetLastError(ERROR_CANT_ACCESS_FILE);
    return INVALID_HANDLE_VALUE;
  }
  return manejador;
}

}  // namespace

fs::path CarpetaEstado() {
  const wchar_t* local = _wgetenv(L"LOCALAPPDATA");
  if (local == nullptr || *local == L'\0') {
    throw std::runtime_error("no hay carpeta de estado para el buzón del puente (LOCALAPPDATA)");
  }
  fs::path carpeta = fs::path(local) / L"Vardel";
  std::error_code error;
  fs::create_directories(carpeta, error);
  if (error) {
    throw std::runtime_error("no se puede crear la carpeta " + carpeta.string() +
                             ": compruebe el perfil de la cuenta [" + error.message() + "]");
  }
  return carpeta;
}

AnexoDuradero::AnexoDuradero(const fs::path& ruta) : ruta_(ruta) {
  manejador_ = Abre(ruta, FILE_APPEND_DATA, OPEN_ALWAYS);
  if (manejador_ == INVALID_HANDLE_VALUE) {
    Falla("no se puede abrir", ruta);
  }
}

AnexoDuradero::~AnexoDuradero() {
  CloseHandle(static_cast<HANDLE>(manejador_));
}

void AnexoDuradero::Anexa(std::string_view texto) {
  EscribeTodo(static_cast<HANDLE>(manejador_), texto, ruta_);
  Sincroniza(static_cast<HANDLE>(manejador_), ruta_);
}

std::string LeeArchivo(const fs::path& ruta) {
  HANDLE manejador = Abre(ruta, GENERIC_READ, OPEN_EXISTING);
  if (manejador == INVALID_HANDLE_VALUE) {
    if (GetLastError() == ERROR_FILE_NOT_FOUND) {
      return "";
    }
    Falla("no se puede leer", ruta);
  }
  std::string contenido;
  char bloque[65536];
  for (;;) {
    DWORD leidos = 0;
    if (ReadFile(manejador, bloque, sizeof bloque, &leidos, nullptr) == 0) {
      CloseHandle(manejador);
      Falla("no se puede leer", ruta);
    }
    if (leidos == 0) {
      break;
    }
    contenido.append(bloque, leidos);
  }
  CloseHandle(manejador);
  return contenido;
}

void ReemplazaArchivo(const fs::path& ruta, std::string_view contenido) {
  const fs::path temporal = ruta.wstring() + L".tmp-" + std::to_wstring(GetCurrentProcessId());
  DeleteFileW(temporal.c_str());
  HANDLE manejador = Abre(temporal, GENERIC_WRITE, CREATE_NEW);
  if (manejador == INVALID_HANDLE_VALUE) {
    Falla("no se puede crear", temporal);
  }
  try {
    EscribeTodo(manejador, contenido, temporal);
    Sincroniza(manejador, temporal);
  } catch (...) {
    CloseHandle(manejador);
    DeleteFileW(temporal.c_str());
    throw;
  }
  CloseHandle(manejador);
  if (MoveFileExW(temporal.c_str(), ruta.c_str(),
                  MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == 0) {
    const DWORD error = GetLastError();
    DeleteFileW(temporal.c_str());
    SetLastError(error);
    Falla("no se puede reemplazar", ruta);
  }
}

}  // namespace vardel::cli::puente
