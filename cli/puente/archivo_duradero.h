#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace vardel::cli::puente {

// The bridge's own state folder, for this account only, created when
// missing: $XDG_STATE_HOME/vardel or ~/.local/state/vardel on POSIX,
// %LOCALAPPDATA%\Vardel on Windows. Throws std::runtime_error naming the
// folder when it cannot be had.
std::filesystem::path CarpetaEstado();

// A file that only grows, each addition on stable storage before Anexa
// returns, as the component's images are: what the bridge tells a page is
// never more than what a power cut leaves on disk. Never follows a link
// at the file's place.
class AnexoDuradero {
 public:
  explicit AnexoDuradero(const std::filesystem::path& ruta);
  ~AnexoDuradero();
  AnexoDuradero(const AnexoDuradero&) = delete;
  AnexoDuradero& operator=(const AnexoDuradero&) = delete;

  // Appends `texto` whole and flushes it; throws std::runtime_error.
  void Anexa(std::string_view texto);

 private:
#ifdef _WIN32
  void* manejador_;
#else
  int descriptor_;
#endif
  std::filesystem::path ruta_;
};

// The whole file, "" when it does not exist; throws when it cannot be read.
std::string LeeArchivo(const std::filesystem::path& ruta);

// Replaces the file with `contenido` at once: a temporary beside it,
// flushed, then renamed over it, and the folder flushed, so a crash leaves
// the old file or the new one, never a mix.
void ReemplazaArchivo(const std::filesystem::path& ruta, std::string_view contenido);

}  // namespace vardel::cli::puente
