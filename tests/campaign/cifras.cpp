#include "cifras.h"

#include <cstdio>

namespace campana {

void Cifras::Suma(const Lectura& lectura, const Ejecucion& ejecucion, const Balance& balance) {
  ++lecturas_;
  colgadas_ += ejecucion.colgado ? 1 : 0;
  matadas_ += ejecucion.matado ? 1 : 0;
  for (const Falla falla : lectura.fallas) {
    ++fallas_[static_cast<int>(falla)];
  }
  total_.alimentados += balance.alimentados;
  total_.entregados += balance.entregados;
  total_.nombrados += balance.nombrados;
  total_.cortados += balance.cortados;
  total_.atascados += balance.atascados;
  total_.sin_anuncio += balance.sin_anuncio;
  total_.perdidos += balance.perdidos;
  total_.duplicados += balance.duplicados;
  total_.temporales += balance.temporales;
  violaciones_ += static_cast<int>(balance.violaciones.size());
}

void Cifras::Imprime(unsigned long long semilla) const {
  std::printf("\nLecturas: %d (matadas a mitad: %d, colgadas: %d)\nFallas provocadas:\n", lecturas_,
              matadas_, colgadas_);
  for (int i = 0; i < static_cast<int>(Falla::kCuenta); ++i) {
    std::printf("  %-22s %d\n", NombreFalla(static_cast<Falla>(i)), fallas_[i]);
  }
  std::printf(
      "Cheques alimentados: %d\n  entregados:  %d\n  nombrados:   %d\n"
      "  atascados (nombrados por el aviso del atasco): %d\n"
      "  sin anuncio (la lectora respondió como a una bandeja vacía): %d\n"
      "  cortados por la matanza: %d\n  perdidos:    %d\n  duplicados:  %d\n"
      "Temporales vistos tras una lectura: %d\nViolaciones: %d\n",
      total_.alimentados, total_.entregados, total_.nombrados, total_.atascados, total_.sin_anuncio,
      total_.cortados, total_.perdidos, total_.duplicados, total_.temporales, violaciones_);
  std::printf("Campaña con semilla %llu: %s\n", semilla,
              violaciones_ == 0 ? "ningún cheque perdido ni duplicado"
                                : "hay cheques sin cuenta o archivos malos (ver arriba)");
}

}  // namespace campana
