#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "vardel/collection.h"
#include "vardel/export.h"
#include "vardel/variant.h"

namespace vardel {
inline namespace v1 {

// An image of a document that was stored whole and flushed.
struct ImagenCheque {
  std::int32_t imagen = 0;  // 1 front, 2 back, 3 second front
  std::string ruta;         // the file
};

// An image of a document that was not stored.
struct ImagenNoGuardadaCheque {
  std::int32_t imagen = 0;  // 1 front, 2 back, 3 second front
  std::string ruta;         // the path it would have taken, or "" when none could be named
  std::int32_t numero = 0;  // the fetch's result or the run-time error that stopped the write
};

// One processed document of a read, whole: what LectoraDatos and the image
// events of that document tell, gathered by the component so a host need
// not match them up itself. Its members are fixed for libvardel.so.1.
struct Cheque {
  // Its place among the documents of the read that delivered it, from 1.
  std::int32_t documento = 0;

  // The fields of a code line that was read (docs/code-line.md). The
  // text fields are all present, possibly empty, when the line was read and
  // all absent when it was not. Importe and FechaVto are absent as well
  // when the line has none: LectoraDatos carries "" for them.
  std::optional<std::string> NumDoc;
  std::optional<std::string> Entidad;
  std::optional<std::string> Oficina;
  std::optional<std::string> Cuenta;
  std::optional<double> Importe;
  std::optional<std::string> TipoDoc;
  std::optional<Fecha> FechaVto;

  // A line that could not be read: the read's error counter that names the
  // images (ERRANV<n>.tif ...), and the text for the operator.
  std::optional<std::int16_t> IDERR;
  std::optional<std::string> Error;

  // What LectoraDatos carried, as it carried it (null when nothing could be
  // said of the document, or when the read ended before its LectoraDatos).
  std::shared_ptr<Collection> Dato;

  // The images stored and those that were not, in the order they were done.
  std::vector<ImagenCheque> imagenes;
  std::vector<ImagenNoGuardadaCheque> imagenesNoGuardadas;

  // The cheque must be fed again: its line was not read, or an image of it
  // was not stored, or the read ended before it was delivered.
  bool volverAPasar = false;
};

// What a host hears of each document as a whole. Set it with
// Comunica::EstableceOyenteCheques, beside or instead of OyenteComunica.
class VARDEL_API OyenteCheques {
 public:
  virtual ~OyenteCheques() = default;
  // Once per processed document, on the thread that created the Comunica,
  // after the document's images and its LectoraDatos. When a run-time error
  // ends the read after a document's images and before its LectoraDatos,
  // that document is heard with what is known of it, and Terminate then
  // throws the error.
  virtual void ChequeProcesado(const Cheque& cheque) = 0;
};

}  // namespace v1
}  // namespace vardel
