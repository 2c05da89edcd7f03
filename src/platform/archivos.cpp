#include <charconv>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <random>

#include "platform/archivos.h"
#include "platform/archivos_plataforma.h"
#include "platform/componente.h"

namespace vardel::platform {

std::string IdentidadEquipo() {
  // Asked of the system once: every temporary's name and every sweep use it.
  static const std::string identidad = [] {
    const auto limpia = [](const std::string& texto) {
      std::string limpio;
      for (const char c : texto) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9')) {
          limpio += c;
        }
      }
      return limpio;
    };
    std::string propia = limpia(detalle::IdentidadEquipoSistema());
    if (propia.empty()) {
      propia = limpia(detalle::NombreEquipoSistema());
    }
    return propia.empty() ? std::string("equipo") : propia;
  }();
  return identidad;
}

std::string NombreTemporal(const std::string& base) {
  // The system's random source for every name (getrandom, RtlGenRandom):
  // a generator seeded once could be worked out from the names it gave.
  std::random_device fuente;
  const std::uint64_t numero = (static_cast<std::uint64_t>(fuente()) << 32) ^ fuente();
  char aleatorio[17];
  std::snprintf(aleatorio, sizeof aleatorio, "%016llx", static_cast<unsigned long long>(numero));
  return base + ".tmp-" + IdentidadEquipo() + "-" + std::to_string(ProcesoActual()) + "-" +
         aleatorio;
}

namespace {

bool SoloCon(std::string_view texto, bool (*valido)(char)) {
  if (texto.empty()) {
    return false;
  }
  for (const char c : texto) {
    if (!valido(c)) {
      return false;
    }
  }
  return true;
}
bool EsDigito(char c) {
  return c >= '0' && c <= '9';
}
bool EsHexadecimal(char c) {
  return EsDigito(c) || (c >= 'a' && c <= 'f');
}

}  // namespace

std::optional<Escritor> EscritorDe(std::string_view cola) {
  std::vector<std::string_view> partes;
  std::size_t inicio = 0;
  while (true) {
    const std::size_t guion = cola.find('-', inicio);
    partes.push_back(
        cola.substr(inicio, guion == std::string_view::npos ? cola.npos : guion - inicio));
    if (guion == std::string_view::npos) {
      break;
    }
    inicio = guion + 1;
  }
  const std::size_t n = partes.size();
  if (n >= 3 && partes[n - 1].size() == 16 && SoloCon(partes[n - 1], EsHexadecimal) &&
      SoloCon(partes[n - 2], EsDigito) && partes[n - 2].size() <= 10) {
    // A number no process id can be (past 32 bits, which is what both
    // platforms' ids fit in) names no writer this sweep can judge: the
    // file is left alone rather than the read failed.
    std::uint64_t proceso = 0;
    const std::string_view cifras = partes[n - 2];
    const auto [fin, error] =
        std::from_chars(cifras.data(), cifras.data() + cifras.size(), proceso);
    if (error != std::errc() || fin != cifras.data() + cifras.size() ||
        proceso > std::numeric_limits<std::uint32_t>::max()) {
      return std::nullopt;
    }
    Escritor escritor;
    escritor.conEquipo = true;
    escritor.equipo =
        std::string(cola.substr(0, cola.size() - partes[n - 1].size() - partes[n - 2].size() - 2));
    escritor.proceso = static_cast<unsigned long>(proceso);
    return escritor;
  }
  if (n <= 2 && SoloCon(partes[0], EsDigito) && (n == 1 || SoloCon(partes[1], EsDigito))) {
    return Escritor{};
  }
  return std::nullopt;
}

bool EscritorAusente(const Escritor& escritor, std::optional<std::int64_t> antiguedad) {
  if (escritor.conEquipo && escritor.equipo == IdentidadEquipo()) {
    return escritor.proceso != ProcesoActual() && !ProcesoActivo(escritor.proceso);
  }
  return antiguedad && *antiguedad >= kAntiguedadAbandono;
}

void BorraTemporalesAbandonados(const Carpeta& carpeta,
                                const std::function<bool(std::string_view base)>& esBase) {
  const auto partes = [](const std::string& nombre) {
    const auto marca = nombre.rfind(".tmp-");
    return marca == std::string::npos ? std::pair<std::string_view, std::string_view>{}
                                      : std::pair<std::string_view, std::string_view>{
                                            std::string_view(nombre).substr(0, marca),
                                            std::string_view(nombre).substr(marca + 5)};
  };
  // By name first: a folder of a year's images is listed once, and only
  // the temporaries in it are examined further.
  const auto candidato = [&](const std::string& nombre) {
    const auto [base, cola] = partes(nombre);
    return !base.empty() && esBase(base) && EscritorDe(cola).has_value();
  };
  for (const std::string& nombre : carpeta.Archivos(candidato)) {
    const Escritor escritor = *EscritorDe(partes(nombre).second);
    if (EscritorAusente(escritor, carpeta.Antiguedad(nombre))) {
      carpeta.Borra(nombre);
    }
  }
}

SondaArchivos*& Sonda() {
  static SondaArchivos* sonda = nullptr;
  return sonda;
}

namespace detalle {

void Anota(std::string_view operacion, const std::string& ruta) {
  if (SondaArchivos* sonda = Sonda(); sonda != nullptr && sonda->anota) {
    sonda->anota(operacion, ruta);
  }
}

}  // namespace detalle
}  // namespace vardel::platform
