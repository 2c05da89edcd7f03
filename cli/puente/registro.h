#pragma once

#include <cstdint>
#include <string>

namespace vardel::cli::puente {

// One line of the bridge's log on standard error, stamped with the moment:
// refused connections and their reasons, documents no page acknowledged.
// A service manager keeps it (the journal of the systemd user unit).
// Safe from any thread.
void Registra(const std::string& texto);

}  // namespace vardel::cli::puente

namespace vardel::cli::puente {

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
