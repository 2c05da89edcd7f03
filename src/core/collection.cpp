#include "vardel/collection.h"

#include "core/lanza_error.h"
#include "core/text.h"

#include <memory>
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

namespace {

// A moved-from collection holds no storage: it reads as empty, and gets
// storage again at its first change. So a move allocates nothing and
// cannot throw.
template <class Datos>
const Datos& Lee(const std::unique_ptr<Datos>& impl) {
  static const Datos vacia;
  return impl ? *impl : vacia;
}
template <class Datos>
Datos& Cambia(std::unique_ptr<Datos>& impl) {
  if (!impl) {
    impl = std::make_unique<Datos>();
  }
  return *impl;
}

}  // namespace

Collection::Collection() : impl_(std::make_unique<Impl>()) {}
Collection::~Collection() = default;
Collection::Collection(const Collection& otra) : impl_(std::make_unique<Impl>(Lee(otra.impl_))) {}
Collection::Collection(Collection&& otra) noexcept : impl_(std::move(otra.impl_)) {}
Collection& Collection::operator=(const Collection& otra) {
  if (this != &otra) {
    Cambia(impl_) = Lee(otra.impl_);
  }
  return *this;
}
Collection& Collection::operator=(Collection&& otra) noexcept {
  std::swap(impl_, otra.impl_);
  return *this;
}

std::int32_t Collection::Count() const {
  return static_cast<std::int32_t>(Lee(impl_).elementos.size());
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
  for (const auto& e : Lee(impl_).elementos) {
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
  Impl& datos = Cambia(impl_);
  std::size_t destino = datos.elementos.size();
  if (antes) {
    destino = datos.IndiceDePosicion(*antes);
  } else if (despues) {
    destino = datos.IndiceDePosicion(*despues) + 1;
  }
  datos.elementos.insert(datos.elementos.begin() + static_cast<std::ptrdiff_t>(destino),
                         Impl::Elemento{std::move(item), std::move(clave)});
}

const Variant& Collection::Item(std::int32_t posicion) const {
  const Impl& datos = Lee(impl_);
  return datos.elementos[datos.IndiceDePosicion(posicion)].item;
}

const Variant& Collection::Item(std::string_view clave) const {
  const Impl& datos = Lee(impl_);
  return datos.elementos[datos.IndiceDeClave(clave)].item;
}

const std::optional<std::string>& Collection::Clave(std::int32_t posicion) const {
  const Impl& datos = Lee(impl_);
  return datos.elementos[datos.IndiceDePosicion(posicion)].clave;
}

void Collection::Remove(std::int32_t posicion) {
  Impl& datos = Cambia(impl_);
  datos.elementos.erase(datos.elementos.begin() +
                        static_cast<std::ptrdiff_t>(datos.IndiceDePosicion(posicion)));
}

void Collection::Remove(std::string_view clave) {
  Impl& datos = Cambia(impl_);
  datos.elementos.erase(datos.elementos.begin() +
                        static_cast<std::ptrdiff_t>(datos.IndiceDeClave(clave)));
}

}  // namespace vardel
