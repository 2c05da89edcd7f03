#include "vardel/collection.h"

#include "core/lanza_error.h"
#include "core/text.h"

#include <utility>
#include <vector>

namespace vardel {

struct Collection::Impl {
  struct Elemento {
    Variant item;
    std::optional<std::string> clave;
  };
  std::vector<Elemento> elementos;

  std::size_t IndiceDePosicion(std::int32_t posicion) const;
  std::size_t IndiceDeClave(std::string_view clave) const;
};

Collection::Collection() : impl_(std::make_unique<Impl>()) {}
Collection::~Collection() = default;
Collection::Collection(const Collection& otra) : impl_(std::make_unique<Impl>(*otra.impl_)) {}
// A moved-from collection is left empty, still usable: it gets fresh
// storage, which may throw, so the move is not noexcept.
Collection::Collection(Collection&& otra)  // NOLINT(performance-noexcept-move-constructor)
    : impl_(std::exchange(otra.impl_, std::make_unique<Impl>())) {}
Collection& Collection::operator=(const Collection& otra) {
  if (this != &otra) {
    *impl_ = *otra.impl_;
  }
  return *this;
}
Collection& Collection::operator=(Collection&& otra) noexcept {
  std::swap(impl_, otra.impl_);
  return *this;
}

std::int32_t Collection::Count() const {
  return static_cast<std::int32_t>(impl_->elementos.size());
}

std::size_t Collection::Impl::IndiceDePosicion(std::int32_t posicion) const {
  if (posicion < 1 || posicion > static_cast<std::int32_t>(elementos.size())) {
    LanzaError(errores::kSubindiceFueraDeIntervalo);
  }
  return static_cast<std::size_t>(posicion - 1);
}

std::size_t Collection::Impl::IndiceDeClave(std::string_view clave) const {
  for (std::size_t i = 0; i < elementos.size(); ++i) {
    if (elementos[i].clave && IgualesSinCasoUtf8(*elementos[i].clave, clave)) {
      return i;
    }
  }
  LanzaError(errores::kArgumentoNoValido);
}

bool Collection::Contiene(std::string_view clave) const {
  for (const auto& e : impl_->elementos) {
    if (e.clave && IgualesSinCasoUtf8(*e.clave, clave)) {
      return true;
    }
  }
  return false;
}

void Collection::Add(Variant item, std::optional<std::string> clave,
                     std::optional<std::int32_t> antes, std::optional<std::int32_t> despues) {
  if (antes && despues) {
    LanzaError(errores::kArgumentoNoValido);
  }
  if (clave && Contiene(*clave)) {
    LanzaError(errores::kClaveDuplicada);
  }
  std::size_t destino = impl_->elementos.size();
  if (antes) {
    destino = impl_->IndiceDePosicion(*antes);
  } else if (despues) {
    destino = impl_->IndiceDePosicion(*despues) + 1;
  }
  impl_->elementos.insert(impl_->elementos.begin() + static_cast<std::ptrdiff_t>(destino),
                          Impl::Elemento{std::move(item), std::move(clave)});
}

const Variant& Collection::Item(std::int32_t posicion) const {
  return impl_->elementos[impl_->IndiceDePosicion(posicion)].item;
}

const Variant& Collection::Item(std::string_view clave) const {
  return impl_->elementos[impl_->IndiceDeClave(clave)].item;
}

const std::optional<std::string>& Collection::Clave(std::int32_t posicion) const {
  return impl_->elementos[impl_->IndiceDePosicion(posicion)].clave;
}

void Collection::Remove(std::int32_t posicion) {
  impl_->elementos.erase(impl_->elementos.begin() +
                         static_cast<std::ptrdiff_t>(impl_->IndiceDePosicion(posicion)));
}

void Collection::Remove(std::string_view clave) {
  impl_->elementos.erase(impl_->elementos.begin() +
                         static_cast<std::ptrdiff_t>(impl_->IndiceDeClave(clave)));
}

}  // namespace vardel
