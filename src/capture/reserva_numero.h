#pragma once

#include <cstdint>
#include <string>

namespace vardel::capture {

// True when error number n is in use in the image directory (read afresh):
// one of its three image names (ERRANVn.tif, ERRREVn.tif, ERRANVn.jpg)
// exists as a file or a directory, or another reader holds its claim.
bool IndiceOcupado(std::int16_t indice);

// Moves the counter on past every number in use; past 32767 an overflow.
void SaltaIndicesOcupados(std::int16_t& indice);

// One more for the error counter; past 32767 it is an overflow.
void Incrementa(std::int16_t& contador);

// A pass's hold on its error number. Several readers (processes, or PCs
// sharing the folder) may read into one image directory: the number is
// claimed by creating its claim file "vardel-numero-<n>.reserva"
// exclusively, which one writer alone can do on a local disk or a share,
// and the claim is given up when the pass ends, by then the images (if
// any) hold the number. A claim left by a killed reader only makes its
// number skipped.
class ReservaNumero {
 public:
  // Claims the first free number from `indice` on in the image directory
  // just checked, moving the counter to it. Raises the error of a claim
  // that cannot be written, or the overflow past 32767.
  ReservaNumero(const std::string& directorio, std::int16_t& indice);
  ~ReservaNumero();
  ReservaNumero(const ReservaNumero&) = delete;
  ReservaNumero& operator=(const ReservaNumero&) = delete;

 private:
  std::string ruta_;
};

}  // namespace vardel::capture
