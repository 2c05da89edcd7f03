#include "registro.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <utility>

#include "../momento.h"

#ifdef _WIN32
#include <share.h>
#include <shlobj.h>
#include <windows.h>

#include <memory>
#include <system_error>
#endif

namespace vardel::cli::puente {

namespace {

std::mutex cerrojo;

#ifdef _WIN32
enum class Destino { SinDecidir, ErrorEstandar, Archivo };
Destino destino = Destino::SinDecidir;

// Appends `linea` to the log file, first moving a file it would take past
// the limit aside. False when the file cannot be written.
bool EscribeEnArchivo(const std::string& linea) {
  const std::filesystem::path ruta = ArchivoRegistro();
  std::error_code error;
  std::filesystem::create_directories(ruta.parent_path(), error);
  const wchar_t* modo = L"ab";
  const std::uintmax_t tamano = std::filesystem::file_size(ruta, error);
  if (!error && tamano > 0 && tamano + linea.size() > kLimiteRegistro) {
    std::filesystem::path anterior = ruta;
    anterior += L".1";
    if (MoveFileExW(ruta.c_str(), anterior.c_str(), MOVEFILE_REPLACE_EXISTING) == 0) {
      modo = L"wb";  // held by another program: start it again rather than grow
    }
  }
  std::FILE* archivo = _wfsopen(ruta.c_str(), modo, _SH_DENYNO);
  if (archivo == nullptr) {
    return false;
  }
  const bool escrita = std::fwrite(linea.data(), 1, linea.size(), archivo) == linea.size();
  return std::fclose(archivo) == 0 && escrita;
}
#endif

}  // namespace

void Registra(const std::string& texto) {
  const std::lock_guard<std::mutex> cierre(cerrojo);
  const std::string linea = "vardel serve: " + MomentoIso(std::time(nullptr)) + " " + texto;
#ifdef _WIN32
  if (destino == Destino::SinDecidir) {
    // Started without a console or with its standard error closed: no one
    // would ever read it.
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    destino = error == nullptr || error == INVALID_HANDLE_VALUE ? Destino::Archivo
                                                                : Destino::ErrorEstandar;
  }
  if (destino == Destino::Archivo) {
    EscribeEnArchivo(linea + "\r\n");  // a line that cannot be kept is lost: there is nowhere else
    return;
  }
#endif
  std::fprintf(stderr, "%s\n", linea.c_str());
  std::fflush(stderr);
}

void RegistraEnArchivo() {
#ifdef _WIN32
  const std::lock_guard<std::mutex> cierre(cerrojo);
  destino = Destino::Archivo;
#endif
}

std::filesystem::path ArchivoRegistro() {
  std::filesystem::path base;
#ifdef _WIN32
  if (const wchar_t* local = _wgetenv(L"LOCALAPPDATA"); local != nullptr && *local != L'\0') {
    base = local;
  } else {
    // The path is the caller's to free whether the call succeeds or not.
    PWSTR carpeta = nullptr;
    const HRESULT hecho = SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &carpeta);
    const std::unique_ptr<wchar_t, decltype(&CoTaskMemFree)> propia(carpeta, &CoTaskMemFree);
    if (hecho == S_OK) {
      base = carpeta;
    }
  }
#endif
  return base / "Vardel" / "puente.log";
}

}  // namespace vardel::cli::puente

namespace vardel::cli::puente {

void RegistroRechazos::Registra(const std::string& texto) {
  const double ahora =
      std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
  fichas_ = std::min(kRafaga, fichas_ + (ahora - ultimo_));
  ultimo_ = ahora;
  if (fichas_ < 1) {
    ++callados_;
    return;
  }
  fichas_ -= 1;
  const std::uint64_t callados = std::exchange(callados_, 0);
  puente::Registra(callados == 0 ? texto
                                 : texto + " (y " + std::to_string(callados) +
                                       " rechazos más, sin anotar, desde la línea anterior)");
}

}  // namespace vardel::cli::puente
