#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <variant>

#include "vardel/boolean.h"
#include "vardel/export.h"

namespace vardel {
inline namespace v1 {

class Collection;

// An automation date: days since 30 December 1899, the fraction being the
// time of day.
struct Fecha {
  double serial = 0.0;
  // Written out rather than defaulted, so the header stays C++17 for hosts
  // that are not on C++20.
  friend bool operator==(const Fecha& a, const Fecha& b) { return a.serial == b.serial; }
  friend bool operator!=(const Fecha& a, const Fecha& b) { return !(a == b); }
};

// The values that cross between the component and its host. Text is UTF-8
// inside the component; each platform boundary converts it.
class VARDEL_API Variant {
 public:
  enum class Tipo { Empty, Integer, Long, Double, Date, String, Boolean, Object };

  Variant() = default;
  static Variant Integer(std::int16_t v) { return Variant(Valor(v)); }
  static Variant Long(std::int32_t v) { return Variant(Valor(v)); }
  static Variant Double(double v) { return Variant(Valor(v)); }
  static Variant Date(Fecha v) { return Variant(Valor(v)); }
  static Variant String(std::string v) { return Variant(Valor(std::move(v))); }
  static Variant Bool(vardel::Boolean v) { return Variant(Valor(v)); }
  // A null pointer is the null object reference ("Nothing").
  static Variant Object(std::shared_ptr<Collection> v) { return Variant(Valor(std::move(v))); }

  Tipo tipo() const { return static_cast<Tipo>(valor_.index()); }
  bool EsEmpty() const { return tipo() == Tipo::Empty; }

  // The value as the type it holds; a wrong type raises ErrorEjecucion 13
  // (type mismatch), as the runtime does.
  std::int16_t AsInteger() const;
  std::int32_t AsLong() const;
  double AsDouble() const;
  Fecha AsDate() const;
  const std::string& AsString() const;
  vardel::Boolean AsBoolean() const;
  const std::shared_ptr<Collection>& AsObject() const;

  // Same type and same value; objects compare by identity.
  friend bool operator==(const Variant& a, const Variant& b) { return a.valor_ == b.valor_; }
  friend bool operator!=(const Variant& a, const Variant& b) { return !(a == b); }

 private:
  using Valor = std::variant<std::monostate, std::int16_t, std::int32_t, double, Fecha, std::string,
                             vardel::Boolean, std::shared_ptr<Collection>>;
  explicit Variant(Valor v) : valor_(std::move(v)) {}
  Valor valor_;
};

// A readable form for logs, tests and the command line: the text as it
// stands, numbers in plain decimal, dates as dd/mm/yyyy.
VARDEL_API std::string ATexto(const Variant& v);

}  // namespace v1
}  // namespace vardel
