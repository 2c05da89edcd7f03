#include "registro.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <ctime>
#include <mutex>
#include <utility>

#include "../momento.h"

namespace vardel::cli::puente {

void Registra(const std::string& texto) {
  static std::mutex cerrojo;
  const std::lock_guard<std::mutex> cierre(cerrojo);
  std::fprintf(stderr, "vardel serve: %s %s\n", MomentoIso(std::time(nullptr)).c_str(),
               texto.c_str());
  std::fflush(stderr);
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
