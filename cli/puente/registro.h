#pragma once

#include <cstdint>
#include <filesystem>
#include <string>

namespace vardel::cli::puente {

// One line of the bridge's log, stamped with the moment: refused
// connections and their reasons, documents no page acknowledged. On
// standard error, which a service manager keeps (the journal of the
// systemd user unit); on Windows, where a program started at logon has no
// console to show it, in ArchivoRegistro() instead when the process has no
// standard error or RegistraEnArchivo() was called. Safe from any thread.
void Registra(const std::string& texto);

// Every later line goes to ArchivoRegistro() (Windows only: elsewhere it
// does nothing).
void RegistraEnArchivo();

// %LOCALAPPDATA%\Vardel\puente.log: the user's own folder, since the
// bridge runs in each operator's session. A line that would take it past
// kLimiteRegistro first moves it to puente.log.1, replacing the one there,
// so the two never hold much more than twice the limit. UTF-8, CR LF.
std::filesystem::path ArchivoRegistro();
inline constexpr std::uintmax_t kLimiteRegistro = std::uintmax_t{1} << 20;

// Refusals, logged at about one line a second at most: a client that
// knocks thousands of times a second cannot flood the log or slow the
// bridge down. A burst of up to twenty lines goes out at once (a handful of
// distinct refusals are all seen); past it, one line a second, and the
// count of those not written goes with the next line written.
class RegistroRechazos {
 public:
  void Registra(const std::string& texto);

 private:
  static constexpr double kRafaga = 20;
  double fichas_ = kRafaga;
  double ultimo_ = 0;  // seconds on the steady clock of the last refill
  std::uint64_t callados_ = 0;
};

}  // namespace vardel::cli::puente
