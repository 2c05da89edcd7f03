#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "vardel/cheque.h"
#include "vardel/collection.h"

namespace vardel {

// Gathers the events of the document being read into one Cheque: its
// image events come first, then its LectoraDatos closes it. One per read.
class ChequeEnCurso {
 public:
  void ImagenGuardada(std::int32_t imagen, const std::string& ruta);
  void ImagenNoGuardada(std::int32_t imagen, const std::string& ruta, std::int32_t numero);

  // The document closed by its LectoraDatos, numbered in the read.
  Cheque Completa(const std::shared_ptr<Collection>& Dato);

  // The document whose images were heard when the read ended before its
  // LectoraDatos, to be fed again; nullopt when none was under way.
  std::optional<Cheque> Interrumpido();

 private:
  Cheque& Actual();

  std::optional<Cheque> cheque_;
  std::int32_t documentos_ = 0;
};

}  // namespace vardel
