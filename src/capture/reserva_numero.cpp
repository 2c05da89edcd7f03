#include "capture/reserva_numero.h"

#include <limits>

#include "capture/nombres_imagen.h"
#include "core/lanza_error.h"
#include "platform/archivos.h"
#include "platform/componente.h"
#include "settings/configuracion.h"

namespace vardel::capture {

namespace {

std::string RutaReserva(const std::string& directorio, std::int16_t indice) {
  return directorio + platform::kSeparador + "vardel-numero-" + std::to_string(indice) + ".reserva";
}

bool ImagenesDelIndice(const std::string& directorio, std::int16_t indice) {
  for (int k = 1; k <= 3; ++k) {
    if (platform::ExisteRuta(directorio + platform::kSeparador + NombreImagenError(k, indice))) {
      return true;
    }
  }
  return false;
}

}  // namespace

void Incrementa(std::int16_t& contador) {
  if (contador == std::numeric_limits<std::int16_t>::max()) {
    LanzaError(errores::kDesbordamiento);
  }
  ++contador;
}

bool IndiceOcupado(const std::string& directorio, std::int16_t indice) {
  return ImagenesDelIndice(directorio, indice) ||
         platform::ExisteRuta(RutaReserva(directorio, indice));
}

bool IndiceOcupado(std::int16_t indice) {
  return IndiceOcupado(Configuracion::LeeAjuste("DirectorioImg"), indice);
}

void SaltaIndicesOcupados(std::int16_t& indice) {
  while (IndiceOcupado(indice)) {
    Incrementa(indice);
  }
}

ReservaNumero::ReservaNumero(const std::string& directorio, std::int16_t& indice) {
  while (true) {
    while (IndiceOcupado(directorio, indice)) {
      Incrementa(indice);
    }
    std::string ruta = RutaReserva(directorio, indice);
    if (platform::CreaExclusivo(ruta)) {
      // Images written by a reader whose claim ended just before ours was
      // made are seen now: the claim came after them.
      if (!ImagenesDelIndice(directorio, indice)) {
        ruta_ = std::move(ruta);
        return;
      }
      platform::BorraArchivo(ruta);
    }
    Incrementa(indice);
  }
}

ReservaNumero::~ReservaNumero() {
  platform::BorraArchivo(ruta_);
}

}  // namespace vardel::capture
