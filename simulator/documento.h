#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mtxsim {

// The simulator's own document format, used for the options document, the
// result document and the scenario file: lines "[Section]" and "Key=Value".
// Section and key names match without regard to ASCII case; an indexed key
// is written "Key.N". Sections of the same name are one section, and the
// first key of a name wins. Lines starting with "#" or ";" are comments.
class Documento {
 public:
  static Documento Lee(std::string_view texto);
  std::string Texto() const;

  std::optional<std::string> Valor(std::string_view seccion, std::string_view clave) const;
  std::string ValorO(std::string_view seccion, std::string_view clave,
                     std::string_view defecto) const;
  void Pon(std::string_view seccion, std::string_view clave, std::string_view valor);
  bool TieneSeccion(std::string_view seccion) const;
  // The keys of a section in file order, with their values.
  std::vector<std::pair<std::string, std::string>> Claves(std::string_view seccion) const;
  // The section's lines as they were read, for telling whether it changed.
  std::string TextoSeccion(std::string_view seccion) const;

 private:
  struct Seccion {
    std::string nombre;
    std::vector<std::pair<std::string, std::string>> claves;
  };
  const Seccion* Busca(std::string_view seccion) const;

  std::vector<Seccion> secciones_;
};

bool IgualSinMayusculas(std::string_view a, std::string_view b);
std::string Recorta(std::string_view texto);
std::string Minusculas(std::string texto);

}  // namespace mtxsim
