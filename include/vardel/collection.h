#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "vardel/export.h"
#include "vardel/variant.h"

namespace vardel {

// The automation runtime's ordered keyed collection: 1-based positions,
// optional unique keys matched without regard to letter case (ASCII and the
// letters of the 8-bit code page: "Año" and "AÑO" are one key). Errors
// are those the runtime raises: a duplicate key 457, a missing key 5, a
// position out of range 9.
class VARDEL_API Collection {
 public:
  // Adds an item at the end, or before/after the item at a 1-based position.
  void Add(Variant item, std::optional<std::string> clave = std::nullopt,
           std::optional<std::int32_t> antes = std::nullopt,
           std::optional<std::int32_t> despues = std::nullopt);

  const Variant& Item(std::int32_t posicion) const;
  const Variant& Item(std::string_view clave) const;
  bool Contiene(std::string_view clave) const;
  std::int32_t Count() const { return static_cast<std::int32_t>(elementos_.size()); }

  void Remove(std::int32_t posicion);
  void Remove(std::string_view clave);

  // The key of the item at a 1-based position, if it has one.
  const std::optional<std::string>& Clave(std::int32_t posicion) const;

 private:
  struct Elemento {
    Variant item;
    std::optional<std::string> clave;
  };
  VARDEL_LOCAL std::size_t IndiceDePosicion(std::int32_t posicion) const;
  VARDEL_LOCAL std::size_t IndiceDeClave(std::string_view clave) const;
  std::vector<Elemento> elementos_;
};

}  // namespace vardel
