#include "platform/motor_ini.h"

#include <vector>

#include "core/text.h"

namespace vardel::platform::ini {

namespace {

bool EsBlanco(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f' || c == '\x1a';
}

std::string_view RecortaBlancos(std::string_view texto) {
  while (!texto.empty() && EsBlanco(texto.front())) {
    texto.remove_prefix(1);
  }
  while (!texto.empty() && EsBlanco(texto.back())) {
    texto.remove_suffix(1);
  }
  return texto;
}

std::string_view RecortaBlancosDerecha(std::string_view texto) {
  while (!texto.empty() && EsBlanco(texto.back())) {
    texto.remove_suffix(1);
  }
  return texto;
}

// One line of the file, already trimmed, as the engine understands it.
struct Linea {
  enum class Tipo { Vacia, Seccion, Clave } tipo = Tipo::Vacia;
  std::string_view texto;   // the trimmed line
  std::string_view nombre;  // section or key name
  std::optional<std::string_view> valor;
};

Linea Analiza(std::string_view bruta) {
  Linea linea;
  linea.texto = RecortaBlancos(bruta);
  if (linea.texto.empty()) {
    return linea;
  }
  if (linea.texto.front() == '[') {
    const auto cierre = linea.texto.rfind(']');
    if (cierre != std::string_view::npos) {
      linea.tipo = Linea::Tipo::Seccion;
      linea.nombre = RecortaBlancos(linea.texto.substr(1, cierre - 1));
      return linea;
    }
  }
  linea.tipo = Linea::Tipo::Clave;
  const auto igual = linea.texto.find('=');
  if (igual == std::string_view::npos) {
    linea.nombre = linea.texto;
  } else {
    linea.nombre = RecortaBlancosDerecha(linea.texto.substr(0, igual));
    std::string_view valor = linea.texto.substr(igual + 1);
    while (!valor.empty() && EsBlanco(valor.front())) {
      valor.remove_prefix(1);
    }
    linea.valor = valor;
  }
  return linea;
}

// The file split at every run of CR and LF.
std::vector<std::string_view> Lineas(std::string_view contenido) {
  std::vector<std::string_view> lineas;
  std::size_t inicio = 0;
  while (inicio < contenido.size()) {
    auto fin = contenido.find_first_of("\r\n", inicio);
    if (fin == std::string_view::npos) {
      fin = contenido.size();
    }
    lineas.push_back(contenido.substr(inicio, fin - inicio));
    inicio = contenido.find_first_not_of("\r\n", fin);
    if (inicio == std::string_view::npos) {
      break;
    }
  }
  return lineas;
}

bool Coincide(std::string_view nombre, std::string_view pedido) {
  return IgualesSinCaso(nombre, RecortaBlancos(pedido));
}

// Where a key stands: the line index of the first section of the name, the
// index of the key in it (or npos), and the index after the section's last
// non-empty line.
struct Ubicacion {
  std::size_t seccion = std::string_view::npos;
  std::size_t clave = std::string_view::npos;
  std::size_t finSeccion = 0;
};

Ubicacion Ubica(const std::vector<std::string_view>& lineas, std::string_view seccion,
                std::string_view clave) {
  Ubicacion u;
  for (std::size_t i = 0; i < lineas.size(); ++i) {
    const Linea linea = Analiza(lineas[i]);
    if (linea.tipo == Linea::Tipo::Seccion) {
      if (u.seccion != std::string_view::npos) {
        break;  // only the first section of the name counts
      }
      if (Coincide(linea.nombre, seccion)) {
        u.seccion = i;
        u.finSeccion = i + 1;
      }
      continue;
    }
    if (u.seccion == std::string_view::npos || linea.tipo == Linea::Tipo::Vacia) {
      continue;
    }
    u.finSeccion = i + 1;
    if (u.clave == std::string_view::npos && Coincide(linea.nombre, clave)) {
      u.clave = i;
    }
  }
  return u;
}

std::string SinComillas(std::string_view valor) {
  if (valor.size() >= 2 && (valor.front() == '"' || valor.front() == '\'') &&
      valor.back() == valor.front()) {
    return std::string(valor.substr(1, valor.size() - 2));
  }
  return std::string(valor);
}

}  // namespace

std::optional<std::string> BuscaValor(std::string_view contenido, std::string_view seccion,
                                      std::string_view clave) {
  const auto lineas = Lineas(contenido);
  const Ubicacion u = Ubica(lineas, seccion, clave);
  if (u.clave == std::string_view::npos) {
    return std::nullopt;
  }
  const Linea linea = Analiza(lineas[u.clave]);
  if (!linea.valor) {
    return std::nullopt;
  }
  return SinComillas(*linea.valor);
}

bool TieneSeccion(std::string_view contenido, std::string_view seccion) {
  return Ubica(Lineas(contenido), seccion, {}).seccion != std::string_view::npos;
}

std::string EscribeValor(std::string_view contenido, std::string_view seccion,
                         std::string_view clave, std::string_view valor) {
  const auto lineas = Lineas(contenido);
  const Ubicacion u = Ubica(lineas, seccion, clave);
  const std::string nombreSeccion(RecortaBlancos(seccion));
  const std::string nombreClave(RecortaBlancos(clave));

  std::vector<std::string> salida(lineas.begin(), lineas.end());
  if (u.clave != std::string_view::npos) {
    salida[u.clave] = std::string(Analiza(lineas[u.clave]).nombre) + "=" + std::string(valor);
  } else if (u.seccion != std::string_view::npos) {
    salida.insert(salida.begin() + static_cast<std::ptrdiff_t>(u.finSeccion),
                  nombreClave + "=" + std::string(valor));
  } else {
    salida.push_back("[" + nombreSeccion + "]");
    salida.push_back(nombreClave + "=" + std::string(valor));
  }
  std::string texto;
  for (const auto& linea : salida) {
    texto += linea;
    texto += "\r\n";
  }
  return texto;
}

}  // namespace vardel::platform::ini
