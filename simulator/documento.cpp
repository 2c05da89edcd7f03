#include "documento.h"

namespace mtxsim {

namespace {

bool EsBlanco(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

char Minuscula(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// A value is one line: line breaks inside it become blanks.
std::string UnaLinea(std::string_view valor) {
  std::string linea(valor);
  for (char& c : linea) {
    if (c == '\r' || c == '\n') {
      c = ' ';
    }
  }
  return linea;
}

}  // namespace

bool IgualSinMayusculas(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) {
    return false;
  }
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (Minuscula(a[i]) != Minuscula(b[i])) {
      return false;
    }
  }
  return true;
}

std::string Minusculas(std::string texto) {
  for (char& c : texto) {
    c = Minuscula(c);
  }
  return texto;
}

std::string Recorta(std::string_view texto) {
  std::size_t inicio = 0;
  std::size_t fin = texto.size();
  while (inicio < fin && EsBlanco(texto[inicio])) {
    ++inicio;
  }
  while (fin > inicio && EsBlanco(texto[fin - 1])) {
    --fin;
  }
  return std::string(texto.substr(inicio, fin - inicio));
}

Documento Documento::Lee(std::string_view texto) {
  Documento documento;
  std::string actual;
  std::size_t posicion = 0;
  while (posicion <= texto.size()) {
    std::size_t fin = texto.find('\n', posicion);
    if (fin == std::string_view::npos) {
      fin = texto.size();
    }
    const std::string linea = Recorta(texto.substr(posicion, fin - posicion));
    posicion = fin + 1;
    if (linea.empty() || linea[0] == '#' || linea[0] == ';') {
      continue;
    }
    if (linea.front() == '[' && linea.back() == ']') {
      actual = Recorta(std::string_view(linea).substr(1, linea.size() - 2));
      continue;
    }
    const std::size_t igual = linea.find('=');
    if (igual == std::string::npos) {
      continue;
    }
    const std::string clave = Recorta(std::string_view(linea).substr(0, igual));
    if (!documento.Valor(actual, clave)) {
      documento.Pon(actual, clave, Recorta(std::string_view(linea).substr(igual + 1)));
    }
  }
  return documento;
}

std::string Documento::Texto() const {
  std::string texto;
  for (const Seccion& seccion : secciones_) {
    texto += "[" + seccion.nombre + "]\n";
    for (const auto& [clave, valor] : seccion.claves) {
      texto.append(clave).append("=").append(valor).append("\n");
    }
  }
  return texto;
}

const Documento::Seccion* Documento::Busca(std::string_view seccion) const {
  for (const Seccion& s : secciones_) {
    if (IgualSinMayusculas(s.nombre, seccion)) {
      return &s;
    }
  }
  return nullptr;
}

std::optional<std::string> Documento::Valor(std::string_view seccion,
                                            std::string_view clave) const {
  const Seccion* s = Busca(Recorta(seccion));
  if (s == nullptr) {
    return std::nullopt;
  }
  const std::string buscada = Recorta(clave);
  for (const auto& [nombre, valor] : s->claves) {
    if (IgualSinMayusculas(nombre, buscada)) {
      return valor;
    }
  }
  return std::nullopt;
}

std::string Documento::ValorO(std::string_view seccion, std::string_view clave,
                              std::string_view defecto) const {
  const auto valor = Valor(seccion, clave);
  return valor ? *valor : std::string(defecto);
}

void Documento::Pon(std::string_view seccion, std::string_view clave, std::string_view valor) {
  const std::string nombre_seccion = Recorta(seccion);
  const std::string nombre_clave = Recorta(clave);
  Seccion* destino = nullptr;
  for (Seccion& s : secciones_) {
    if (IgualSinMayusculas(s.nombre, nombre_seccion)) {
      destino = &s;
      break;
    }
  }
  if (destino == nullptr) {
    secciones_.push_back(Seccion{nombre_seccion, {}});
    destino = &secciones_.back();
  }
  for (auto& [nombre, actual] : destino->claves) {
    if (IgualSinMayusculas(nombre, nombre_clave)) {
      actual = UnaLinea(valor);
      return;
    }
  }
  destino->claves.emplace_back(nombre_clave, UnaLinea(valor));
}

bool Documento::TieneSeccion(std::string_view seccion) const {
  return Busca(seccion) != nullptr;
}

std::vector<std::pair<std::string, std::string>> Documento::Claves(std::string_view seccion) const {
  const Seccion* s = Busca(seccion);
  return s == nullptr ? std::vector<std::pair<std::string, std::string>>{} : s->claves;
}

std::string Documento::TextoSeccion(std::string_view seccion) const {
  const Seccion* s = Busca(seccion);
  if (s == nullptr) {
    return "";
  }
  std::string texto;
  for (const auto& [clave, valor] : s->claves) {
    texto.append(clave).append("=").append(valor).append("\n");
  }
  return texto;
}

}  // namespace mtxsim
