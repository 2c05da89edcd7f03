#include "support/directorio_prueba.h"

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>

#include "platform/componente.h"

namespace vardel::prueba {

namespace fs = std::filesystem;

DirectorioPrueba::DirectorioPrueba() {
  static std::atomic<int> contador{0};
  const auto sello = std::chrono::steady_clock::now().time_since_epoch().count();
  std::ostringstream nombre;
  nombre << "vardel-prueba-" << sello << "-" << contador++;
  const fs::path ruta = fs::temp_directory_path() / nombre.str();
  fs::create_directories(ruta);
  ruta_ = ruta.string();
  platform::SustituyeDirectorioComponente(ruta_);
}

DirectorioPrueba::~DirectorioPrueba() {
  platform::SustituyeDirectorioComponente(std::nullopt);
  std::error_code ignorado;
  fs::permissions(ruta_, fs::perms::owner_all, fs::perm_options::add, ignorado);
  fs::remove_all(ruta_, ignorado);
}

std::string DirectorioPrueba::Archivo(const std::string& nombre) const {
  return ruta_ + platform::kSeparador + nombre;
}

void DirectorioPrueba::Escribe(const std::string& nombre, const std::string& bytes) const {
  std::ofstream salida(Archivo(nombre), std::ios::binary | std::ios::trunc);
  salida << bytes;
}

std::string DirectorioPrueba::Lee(const std::string& nombre) const {
  std::ifstream entrada(Archivo(nombre), std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(entrada), std::istreambuf_iterator<char>());
}

bool DirectorioPrueba::Existe(const std::string& nombre) const {
  return fs::exists(Archivo(nombre));
}

}  // namespace vardel::prueba
