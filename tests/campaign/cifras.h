#pragma once

#include <array>
#include <string>

#include "comprobaciones.h"
#include "escenarios.h"

// The campaign's figures: runs, faults of each kind, and what became of
// every cheque fed.
namespace campana {

class Cifras {
 public:
  void Suma(const Lectura& lectura, const Ejecucion& ejecucion, const Balance& balance);
  // The figures, and a closing line with the seed that replays the campaign.
  void Imprime(unsigned long long semilla) const;
  int Violaciones() const { return violaciones_; }
  int Lecturas() const { return lecturas_; }

 private:
  int lecturas_ = 0;
  int colgadas_ = 0;
  int matadas_ = 0;
  std::array<int, static_cast<int>(Falla::kCuenta)> fallas_{};
  Balance total_;
  int violaciones_ = 0;
};

}  // namespace campana
