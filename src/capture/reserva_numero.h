#pragma once

#include <cstdint>
#include <string>

#include "platform/carpeta.h"

namespace vardel::capture {

// True when error number n is in use in the image directory (read afresh):
// one of its three image names (ERRANVn.tif, ERRREVn.tif, ERRANVn.jpg)
// exists as a file or a directory, or another reader holds its claim.
bool IndiceOcupado(const platform::Carpeta& carpeta, std::int16_t indice);

// At the start of a read: moves the counter on past every number in use in
// the image directory. The search starts from the hint the folder keeps
// ("vardel-numero.pista", the first number a read found free) when the
// number below it is still in use, so a folder of thousands of error
// images is not walked from 1 at every read; once the error images are
// archived, numbering starts again from 1. Raises 67 "Demasiados archivos"
// when every number up to 32767 is in use, telling the operator to archive
// the error images. An unusable folder leaves the counter as it is: the
// check before feeding reports it.
void SaltaIndicesOcupados(std::int16_t& indice);

// One more for the error counter; past 32767 it is an overflow.
void Incrementa(std::int16_t& contador);

// A pass's hold on its error number. Several readers (processes, or PCs
// sharing the folder) may read into one image directory: the number is
// claimed by creating its claim file "vardel-numero-<n>.reserva"
// exclusively, which one writer alone can do on a local disk or a share,
// and the claim is given up when the pass ends, by then the images (if
// any) hold the number. The claim says who holds it (machine, process and
// a random tag), so the claim of a killed reader is swept like a
// temporary (BorraTemporalesHuerfanos); until then its number is skipped.
class ReservaNumero {
 public:
  // Claims the first free number from `indice` on in the image directory
  // just checked, moving the counter to it. Raises the error of a claim
  // that cannot be written, or 67 when no number up to 32767 is free. The
  // folder is not held for the pass (on Windows a held folder cannot go
  // away): giving the claim up resolves it again.
  ReservaNumero(const platform::Carpeta& carpeta, std::int16_t& indice);
  ~ReservaNumero();
  ReservaNumero(const ReservaNumero&) = delete;
  ReservaNumero& operator=(const ReservaNumero&) = delete;

 private:
  std::string carpeta_;
  std::string nombre_;
};

// The claim file's name of a number, and whether a name is one.
std::string NombreReserva(std::int16_t indice);
bool EsNombreReserva(const std::string& nombre);

}  // namespace vardel::capture
