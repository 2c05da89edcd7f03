#include "capture/reserva_numero.h"

#include <charconv>
#include <limits>
#include <optional>

#include "capture/directorio_imagenes.h"
#include "capture/nombres_imagen.h"
#include "core/lanza_error.h"
#include "platform/archivos.h"
#include "vardel/error.h"

namespace vardel::capture {

namespace {

constexpr const char* kPista = "vardel-numero.pista";
constexpr std::int16_t kUltimo = std::numeric_limits<std::int16_t>::max();

// Past this many numbers in use walked over at the start of a read, the
// folder's hint is brought up to date.
constexpr int kSaltosSinPista = 16;

bool ImagenesDelIndice(const platform::Carpeta& carpeta, std::int16_t indice) {
  for (int k = 1; k <= 3; ++k) {
    if (carpeta.Existe(NombreImagenError(k, indice))) {
      return true;
    }
  }
  return false;
}

[[noreturn]] void SinNumerosLibres(const platform::Carpeta& carpeta) {
  LanzaError(errores::kDemasiadosArchivos,
             DescripcionError(errores::kDemasiadosArchivos) + ": en " + carpeta.Ruta() +
                 " están en uso todos los números de error, del 1 al " + std::to_string(kUltimo) +
                 ": archive las imágenes de error (ERRANV, ERRREV) en otra carpeta");
}

// What a claim says of its holder: the tail of a temporary's name, so the
// sweep reads both alike.
std::string ContenidoReserva() {
  const std::string temporal = platform::NombreTemporal("");
  return temporal.substr(temporal.find('-') + 1);
}

std::int16_t LeePista(const platform::Carpeta& carpeta) {
  const auto texto = carpeta.Lee(kPista, 16);
  int valor = 0;
  if (!texto ||
      std::from_chars(texto->data(), texto->data() + texto->size(), valor).ec != std::errc() ||
      valor < 1 || valor > kUltimo) {
    return 1;
  }
  return static_cast<std::int16_t>(valor);
}

}  // namespace

std::string NombreReserva(std::int16_t indice) {
  return "vardel-numero-" + std::to_string(indice) + ".reserva";
}

bool EsNombreReserva(const std::string& nombre) {
  constexpr std::string_view kInicio = "vardel-numero-";
  constexpr std::string_view kFin = ".reserva";
  if (nombre.size() <= kInicio.size() + kFin.size() || nombre.rfind(kInicio, 0) != 0 ||
      nombre.compare(nombre.size() - kFin.size(), kFin.size(), kFin) != 0) {
    return false;
  }
  for (std::size_t i = kInicio.size(); i < nombre.size() - kFin.size(); ++i) {
    if (nombre[i] < '0' || nombre[i] > '9') {
      return false;
    }
  }
  return true;
}

void Incrementa(std::int16_t& contador) {
  if (contador == kUltimo) {
    LanzaError(errores::kDesbordamiento);
  }
  ++contador;
}

bool IndiceOcupado(const platform::Carpeta& carpeta, std::int16_t indice) {
  return ImagenesDelIndice(carpeta, indice) || carpeta.Existe(NombreReserva(indice));
}

void SaltaIndicesOcupados(std::int16_t& indice) {
  std::optional<platform::Carpeta> carpeta;
  try {
    carpeta.emplace(CarpetaImagenes(DirectorioImagenes()));
  } catch (const ErrorEjecucion&) {
    return;
  }
  if (const std::int16_t pista = LeePista(*carpeta);
      pista > indice && IndiceOcupado(*carpeta, static_cast<std::int16_t>(pista - 1))) {
    indice = pista;
  }
  int saltos = 0;
  while (IndiceOcupado(*carpeta, indice)) {
    if (indice == kUltimo) {
      SinNumerosLibres(*carpeta);
    }
    ++indice;
    ++saltos;
  }
  if (saltos > kSaltosSinPista) {
    // Only a hint: a lost or stale one costs a longer search, never a
    // shared number (the claim decides that).
    const std::string texto = std::to_string(indice);
    try {
      carpeta->EscribeCompleto(kPista, std::vector<std::uint8_t>(texto.begin(), texto.end()));
    } catch (const ErrorEjecucion&) {
    }
  }
}

ReservaNumero::ReservaNumero(const platform::Carpeta& carpeta, std::int16_t& indice)
    : carpeta_(carpeta.Ruta()) {
  while (true) {
    while (IndiceOcupado(carpeta, indice)) {
      if (indice == kUltimo) {
        SinNumerosLibres(carpeta);
      }
      ++indice;
    }
    std::string nombre = NombreReserva(indice);
    if (carpeta.CreaExclusivo(nombre, ContenidoReserva())) {
      // Images written by a reader whose claim ended just before ours was
      // made are seen now: the claim came after them.
      if (!ImagenesDelIndice(carpeta, indice)) {
        nombre_ = std::move(nombre);
        return;
      }
      carpeta.Borra(nombre);
    }
    if (indice == kUltimo) {
      SinNumerosLibres(carpeta);
    }
    ++indice;
  }
}

ReservaNumero::~ReservaNumero() {
  try {
    platform::Carpeta(carpeta_).Borra(nombre_);
  } catch (const ErrorEjecucion&) {
    // The folder is gone or unusable now: so is the claim's use. A claim
    // left behind is swept as its holder's, once the holder is gone.
  }
}

}  // namespace vardel::capture
