#pragma once

#include <windows.h>

#include <oaidl.h>

#include <atomic>
#include <cstdint>
#include <memory>

#include "vardel/collection.h"

namespace vardel::com {

// For Each over a collection: the items in order, each in the host's form.
// It reads the collection as it stands at each step, so items removed
// during the loop are never read past the end.
class EnumeradorColeccion final : public IEnumVARIANT {
 public:
  // A new enumerator at the first item, with one reference for the caller.
  static EnumeradorColeccion* Crea(std::shared_ptr<Collection> datos, std::int32_t siguiente = 1);

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** objeto) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  HRESULT STDMETHODCALLTYPE Next(ULONG cuantos, VARIANT* variantes, ULONG* leidos) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG cuantos) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copia) override;

 private:
  EnumeradorColeccion(std::shared_ptr<Collection> datos, std::int32_t siguiente);
  ~EnumeradorColeccion();

  std::atomic<ULONG> referencias_{1};
  std::shared_ptr<Collection> datos_;
  std::int32_t siguiente_;  // 1-based position of the next item
};

}  // namespace vardel::com
