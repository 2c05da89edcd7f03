#include "support/entorno_prueba.h"

#include <cstdlib>
#include <filesystem>

#ifdef _WIN32
#include <windows.h>
#endif

namespace vardel::prueba {

namespace {

void Pon(const std::string& nombre, const std::optional<std::string>& valor) {
#ifdef _WIN32
  // The Win32 environment block, which the component reads.
  SetEnvironmentVariableA(nombre.c_str(), valor ? valor->c_str() : nullptr);
  _putenv_s(nombre.c_str(), valor ? valor->c_str() : "");
#else
  if (valor) {
    ::setenv(nombre.c_str(), valor->c_str(), 1);
  } else {
    ::unsetenv(nombre.c_str());
  }
#endif
}

}  // namespace

VariableDeEntorno::VariableDeEntorno(const char* nombre, const std::string& valor)
    : nombre_(nombre) {
  if (const char* actual = std::getenv(nombre)) {
    anterior_ = actual;
  }
  std::error_code ignorado;
  std::filesystem::create_directories(valor, ignorado);
  Pon(nombre_, valor);
}

VariableDeEntorno::~VariableDeEntorno() {
  Pon(nombre_, anterior_);
}

void AislaCarpetaEstado() {
  const auto carpeta = std::filesystem::temp_directory_path() / "vardel-pruebas-estado";
  std::filesystem::create_directories(carpeta);
  Pon(kVariableEstadoUsuario, carpeta.string());
}

}  // namespace vardel::prueba
