#pragma once

#include <windows.h>

#include <oleauto.h>

#include "vardel/variant.h"

namespace vardel::com {

// Frees what a VARIANT holds on every way out.
class VarianteLocal {
 public:
  VarianteLocal() { VariantInit(&v); }
  ~VarianteLocal() { VariantClear(&v); }
  VarianteLocal(const VarianteLocal&) = delete;
  VarianteLocal& operator=(const VarianteLocal&) = delete;
  VARIANT v;
};

// A core value in the host's form: text as BSTR, Integer VT_I2, Long VT_I4,
// Double VT_R8, Date VT_DATE, Boolean VT_BOOL, a collection as a new
// _Collection object over the same data, no object as a null VT_DISPATCH.
// `destino` is overwritten (it must hold nothing that needs freeing).
void AVariantCom(const Variant& valor, VARIANT* destino);

// A host's value as a core value (by-reference values are read through).
// A collection of this component keeps its identity; any other object or
// type is a type mismatch (error 13).
Variant DeVariantCom(const VARIANT& valor);

// True when an optional argument was left out (no pointer, or the
// "parameter not found" marker a dispatch caller passes).
bool FaltaArgumento(const VARIANT* valor);

}  // namespace vardel::com
