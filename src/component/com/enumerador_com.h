#pragma once

#include <windows.h>

#include <oaidl.h>

#include <cstdint>
#include <memory>

#include "component/com/objeto_com.h"
#include "vardel/collection.h"

namespace vardel::com {

// For Each over a collection: the items in order, each in the host's form.
// It reads the collection as it stands at each step, so items removed
// during the loop are never read past the end.
class EnumeradorColeccion final : public ObjetoCom<Interfaz<IEnumVARIANT>> {
 public:
  explicit EnumeradorColeccion(std::shared_ptr<Collection> datos, std::int32_t siguiente = 1)
      : datos_(std::move(datos)), siguiente_(siguiente) {}

  HRESULT STDMETHODCALLTYPE Next(ULONG cuantos, VARIANT* variantes, ULONG* leidos) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG cuantos) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copia) override;

 private:
  std::shared_ptr<Collection> datos_;
  std::int32_t siguiente_;  // 1-based position of the next item
};

}  // namespace vardel::com
