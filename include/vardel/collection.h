#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "vardel/export.h"
#include "vardel/variant.h"

namespace vardel {
inline namespace v1 {

// The automation runtime's ordered keyed collection: 1-based positions,
// optional unique keys matched without regard to letter case (ASCII and the
// letters of the 8-bit code page: "Año" and "AÑO" are one key). Errors
// are those the runtime raises: a duplicate key 457, a missing key 5, a
// position out of range 9.
class VARDEL_API Collection {
 public:
  Collection();
  ~Collection();
  Collection(const Collection& otra);
  Collection(Collection&& otra) noexcept;
  Collection& operator=(const Collection& otra);
  Collection& operator=(Collection&& otra) noexcept;

  // Adds an item at the end, or before/after the item at a 1-based position.
  void Add(Variant item, std::optional<std::string> clave = std::nullopt,
           std::optional<std::int32_t> antes = std::nullopt,
           std::optional<std::int32_t> despues = std::nullopt);

  const Variant& Item(std::int32_t posicion) const;
  const Variant& Item(std::string_view clave) const;
  bool Contiene(std::string_view clave) const;
  std::int32_t Count() const;

  void Remove(std::int32_t posicion);
  void Remove(std::string_view clave);

  // The key of the item at a 1-based position, if it has one.
  const std::optional<std::string>& Clave(std::int32_t posicion) const;

 private:
  // The items live behind this pointer, so their storage can change
  // without a host being rebuilt.
  struct VARDEL_LOCAL Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace v1
}  // namespace vardel
