#include "ajustes.h"

#include <algorithm>
#include <cctype>

#include "seguridad.h"

namespace vardel::cli::puente {

std::string CompletaAjustes(AjustesPuente& ajustes, bool puertoDado,
                            const std::map<std::string, std::string>& seccion) {
  if (!puertoDado) {
    if (const auto it = seccion.find("puerto"); it != seccion.end() && !it->second.empty()) {
      const std::string& texto = it->second;
      if (texto.size() > 5 ||
          !std::all_of(texto.begin(), texto.end(),
                       [](unsigned char c) { return std::isdigit(c) != 0; }) ||
          std::stoul(texto) < 1 || std::stoul(texto) > 65535) {
        return "Puerto de la sección Puente no válido: \"" + texto + "\" (de 1 a 65535)";
      }
      ajustes.puerto = static_cast<std::uint16_t>(std::stoul(texto));
    }
  }
  // Origins given on the command line replace those of Config.ini.
  if (ajustes.origenes.empty()) {
    if (const auto it = seccion.find("origenes"); it != seccion.end()) {
      ajustes.origenes = SeparaOrigenes(it->second);
    }
  }
  for (const std::string& origen : ajustes.origenes) {
    if (!OrigenBienFormado(origen)) {
      return "origen no válido: \"" + origen +
             "\" (se escribe esquema://host[:puerto], p. ej. https://cajero.banco.example)";
    }
  }
  return "";
}

}  // namespace vardel::cli::puente
