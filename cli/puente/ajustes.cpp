#include "ajustes.h"

#include <algorithm>
#include <cctype>

#include "seguridad.h"

namespace vardel::cli::puente {

namespace {

std::string_view Recorta(std::string_view texto) {
  while (!texto.empty() && std::isspace(static_cast<unsigned char>(texto.front())) != 0) {
    texto.remove_prefix(1);
  }
  while (!texto.empty() && std::isspace(static_cast<unsigned char>(texto.back())) != 0) {
    texto.remove_suffix(1);
  }
  return texto;
}

std::string Minusculas(std::string_view texto) {
  std::string salida(texto);
  std::transform(salida.begin(), salida.end(), salida.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return salida;
}

}  // namespace

std::map<std::string, std::string> LeeSeccionIni(std::string_view texto, std::string_view seccion) {
  std::map<std::string, std::string> claves;
  const std::string buscada = Minusculas(seccion);
  bool dentro = false;
  while (!texto.empty()) {
    const auto fin = texto.find('\n');
    const std::string_view linea = Recorta(texto.substr(0, fin));
    texto.remove_prefix(fin == std::string_view::npos ? texto.size() : fin + 1);
    if (linea.empty() || linea.front() == ';') {
      continue;
    }
    if (linea.front() == '[') {
      const auto cierre = linea.find(']');
      dentro =
          cierre != std::string_view::npos && Minusculas(linea.substr(1, cierre - 1)) == buscada;
      continue;
    }
    const auto igual = linea.find('=');
    if (dentro && igual != std::string_view::npos) {
      const std::string clave = Minusculas(Recorta(linea.substr(0, igual)));
      // The first occurrence wins, as the platform's profile functions read.
      claves.emplace(clave, std::string(Recorta(linea.substr(igual + 1))));
    }
  }
  return claves;
}

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
