#include "seguridad.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <string>

#ifdef _WIN32
#include <windows.h>
// windows.h first: bcrypt.h needs its types.
#include <bcrypt.h>
#else
#include <sys/random.h>

#include <cerrno>
#endif

namespace vardel::cli::puente {

namespace {

bool IgualSinMayusculas(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

bool SoloDigitos(std::string_view texto) {
  return !texto.empty() && texto.size() <= 5 && std::all_of(texto.begin(), texto.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
}

}  // namespace

bool HostDeBucle(std::string_view host, std::uint16_t puerto) {
  std::string_view nombre = host;
  std::string_view numero;
  if (!host.empty() && host.front() == '[') {
    const auto cierre = host.find(']');
    if (cierre == std::string_view::npos) {
      return false;
    }
    nombre = host.substr(0, cierre + 1);
    const std::string_view resto = host.substr(cierre + 1);
    if (!resto.empty()) {
      if (resto.front() != ':') {
        return false;
      }
      numero = resto.substr(1);
    }
  } else if (const auto dos = host.rfind(':'); dos != std::string_view::npos) {
    nombre = host.substr(0, dos);
    numero = host.substr(dos + 1);
  }
  if (host.find(':') != std::string_view::npos && host.back() == ':') {
    return false;  // "localhost:" names no port
  }
  if (!numero.empty() && (!SoloDigitos(numero) || std::stoul(std::string(numero)) != puerto)) {
    return false;
  }
  return IgualSinMayusculas(nombre, "localhost") || nombre == "127.0.0.1" || nombre == "[::1]";
}

bool OrigenBienFormado(std::string_view origen) {
  std::string_view resto;
  if (origen.rfind("http://", 0) == 0) {
    resto = origen.substr(7);
  } else if (origen.rfind("https://", 0) == 0) {
    resto = origen.substr(8);
  } else {
    return false;
  }
  if (resto.empty() || resto.find_first_of("/?#@ \t\\") != std::string_view::npos) {
    return false;
  }
  std::string_view host = resto;
  if (resto.front() == '[') {
    const auto cierre = resto.find(']');
    if (cierre == std::string_view::npos || cierre == 1) {
      return false;
    }
    const std::string_view puerto = resto.substr(cierre + 1);
    return puerto.empty() || (puerto.front() == ':' && SoloDigitos(puerto.substr(1)));
  }
  if (const auto dos = resto.find(':'); dos != std::string_view::npos) {
    host = resto.substr(0, dos);
    if (!SoloDigitos(resto.substr(dos + 1))) {
      return false;
    }
  }
  return !host.empty() && host.find(':') == std::string_view::npos;
}

bool OrigenPermitido(std::string_view origen, const std::vector<std::string>& permitidos) {
  // "null" (a sandboxed frame, a file) is never an allowed value: it names
  // no one.
  return !origen.empty() && OrigenBienFormado(origen) &&
         std::find(permitidos.begin(), permitidos.end(), origen) != permitidos.end();
}

std::vector<std::string> SeparaOrigenes(std::string_view texto) {
  std::vector<std::string> origenes;
  std::string actual;
  for (const char c : texto) {
    if (c == ',' || std::isspace(static_cast<unsigned char>(c)) != 0) {
      if (!actual.empty()) {
        origenes.push_back(std::move(actual));
      }
      actual.clear();
    } else {
      actual += c;
    }
  }
  if (!actual.empty()) {
    origenes.push_back(std::move(actual));
  }
  return origenes;
}

Cabeceras CabecerasCors(const PeticionCors& peticion, const std::vector<std::string>& permitidos) {
  if (!OrigenPermitido(peticion.origen, permitidos)) {
    return {};
  }
  Cabeceras cabeceras{{"Access-Control-Allow-Origin", peticion.origen}};
  if (peticion.preflight) {
    cabeceras.emplace_back("Access-Control-Allow-Methods", "GET");
    cabeceras.emplace_back("Access-Control-Allow-Headers", "Authorization");
    cabeceras.emplace_back("Access-Control-Max-Age", "600");
    if (peticion.redPrivada) {
      cabeceras.emplace_back("Access-Control-Allow-Private-Network", "true");
    }
  }
  return cabeceras;
}

bool NombreImagenSeguro(std::string_view nombre) {
  if (nombre.empty() || nombre == "." || nombre == ".." || nombre.size() > 255) {
    return false;
  }
  return std::none_of(nombre.begin(), nombre.end(), [](char c) {
    const auto u = static_cast<unsigned char>(c);
    return c == '/' || c == '\\' || c == ':' || u < 0x20 || u == 0x7f;
  });
}

std::string TokenPortador(std::string_view autorizacion) {
  constexpr std::string_view kEsquema = "Bearer ";
  if (autorizacion.size() <= kEsquema.size() ||
      !IgualSinMayusculas(autorizacion.substr(0, kEsquema.size()), kEsquema)) {
    return "";
  }
  std::string_view token = autorizacion.substr(kEsquema.size());
  while (!token.empty() && token.front() == ' ') {
    token.remove_prefix(1);
  }
  while (!token.empty() && token.back() == ' ') {
    token.remove_suffix(1);
  }
  return std::string(token);
}

bool MismoToken(std::string_view a, std::string_view b) {
  if (a.size() != b.size() || a.empty()) {
    return false;
  }
  unsigned diferencia = 0;
  for (std::size_t i = 0; i < a.size(); ++i) {
    diferencia |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i]);
  }
  return diferencia == 0;
}

std::optional<std::string> DescodificaPorcentaje(std::string_view texto) {
  std::string salida;
  for (std::size_t i = 0; i < texto.size(); ++i) {
    if (texto[i] != '%') {
      salida += texto[i];
      continue;
    }
    if (i + 2 >= texto.size()) {
      return std::nullopt;
    }
    const auto Valor = [](char c) -> int {
      if (c >= '0' && c <= '9') {
        return c - '0';
      }
      if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
      }
      if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
      }
      return -1;
    };
    const int alto = Valor(texto[i + 1]);
    const int bajo = Valor(texto[i + 2]);
    if (alto < 0 || bajo < 0 || (alto == 0 && bajo == 0)) {
      return std::nullopt;
    }
    salida += static_cast<char>(alto * 16 + bajo);
    i += 2;
  }
  return salida;
}

std::string CodificaPorcentaje(std::string_view texto) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string salida;
  for (const char c : texto) {
    const auto u = static_cast<unsigned char>(c);
    if (std::isalnum(u) != 0 || c == '-' || c == '.' || c == '_' || c == '~') {
      salida += c;
    } else {
      salida += '%';
      salida += kHex[u >> 4];
      salida += kHex[u & 15];
    }
  }
  return salida;
}

std::string ValorConsulta(std::string_view consulta, std::string_view clave) {
  const std::string texto(consulta);
  std::size_t inicio = 0;
  while (inicio <= texto.size()) {
    std::size_t fin = texto.find('&', inicio);
    if (fin == std::string::npos) {
      fin = texto.size();
    }
    const std::string par = texto.substr(inicio, fin - inicio);
    const auto igual = par.find('=');
    if (igual != std::string::npos && par.compare(0, igual, clave) == 0 && igual == clave.size()) {
      return par.substr(igual + 1);
    }
    inicio = fin + 1;
  }
  return "";
}

std::vector<unsigned char> BytesAleatorios(std::size_t cuantos) {
  std::vector<unsigned char> bytes(cuantos);
#ifdef _WIN32
  if (BCryptGenRandom(nullptr, bytes.data(), static_cast<ULONG>(bytes.size()),
                      BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0) {
    throw std::runtime_error("BCryptGenRandom falló");
  }
#else
  for (std::size_t hechos = 0; hechos < bytes.size();) {
    const ssize_t n = getrandom(bytes.data() + hechos, bytes.size() - hechos, 0);
    if (n < 0 && errno != EINTR) {
      throw std::runtime_error("getrandom falló: error " + std::to_string(errno));
    }
    hechos += n > 0 ? static_cast<std::size_t>(n) : 0;
  }
#endif
  return bytes;
}

}  // namespace vardel::cli::puente
