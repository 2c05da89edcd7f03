#include "registro.h"

#include <cstdio>
#include <ctime>
#include <mutex>

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
