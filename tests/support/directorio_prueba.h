#pragma once

#include <string>

namespace vardel::prueba {

// A fresh folder for one test, removed afterwards. While it lives it is the
// component's directory, so the test's Config.ini and log stay in it.
class DirectorioPrueba {
 public:
  DirectorioPrueba();
  ~DirectorioPrueba();
  DirectorioPrueba(const DirectorioPrueba&) = delete;
  DirectorioPrueba& operator=(const DirectorioPrueba&) = delete;

  const std::string& Ruta() const { return ruta_; }
  // The path of a name inside the folder, with the platform's separator.
  std::string Archivo(const std::string& nombre) const;
  // Writes the bytes as they stand (no line-end translation).
  void Escribe(const std::string& nombre, const std::string& bytes) const;
  // The file's bytes; "" when it does not exist.
  std::string Lee(const std::string& nombre) const;
  bool Existe(const std::string& nombre) const;

 private:
  std::string ruta_;
};

}  // namespace vardel::prueba
