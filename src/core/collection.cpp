#include "vardel/collection.h"

#include "core/lanza_error.h"
#include "core/text.h"

namespace vardel {

std::size_t Collection::IndiceDePosicion(std::int32_t posicion) const {
  if (posicion < 1 || posicion > Count()) {
    LanzaError(errores::kSubindiceFueraDeIntervalo);
  }
  return static_cast<std::size_t>(posicion - 1);
}

std::size_t Collection::IndiceDeClave(std::string_view clave) const {
  for (std::size_t i = 0; i < elementos_.size(); ++i) {
    if (elementos_[i].clave && IgualesSinCasoUtf8(*elementos_[i].clave, clave)) {
      return i;
    }
  }
  LanzaError(errores::kArgumentoNoValido);
}

bool Collection::Contiene(std::string_view clave) const {
  for (const auto& e : elementos_) {
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
  std::size_t destino = elementos_.size();
  if (antes) {
    destino = IndiceDePosicion(*antes);
  } else if (despues) {
    destino = IndiceDePosicion(*despues) + 1;
  }
  elementos_.insert(elementos_.begin() + static_cast<std::ptrdiff_t>(destino),
                    Elemento{std::move(item), std::move(clave)});
}

const Variant& Collection::Item(std::int32_t posicion) const {
  return elementos_[IndiceDePosicion(posicion)].item;
}

const Variant& Collection::Item(std::string_view clave) const {
  return elementos_[IndiceDeClave(clave)].item;
}

const std::optional<std::string>& Collection::Clave(std::int32_t posicion) const {
  return elementos_[IndiceDePosicion(posicion)].clave;
}

void Collection::Remove(std::int32_t posicion) {
  elementos_.erase(elementos_.begin() + static_cast<std::ptrdiff_t>(IndiceDePosicion(posicion)));
}

void Collection::Remove(std::string_view clave) {
  elementos_.erase(elementos_.begin() + static_cast<std::ptrdiff_t>(IndiceDeClave(clave)));
}

}  // namespace vardel
