#pragma once

#include <memory>
#include <string>

#include "vardel/collection.h"
#include "vardel/error.h"

namespace vardel::cli {

// A text as a JSON string literal.
std::string Json(const std::string& texto);

// One collection item as JSON: strings as strings, numbers as numbers, dates
// as "yyyy-mm-dd", Empty as null.
std::string JsonDe(const Variant& valor);

// A collection as a JSON object of its keyed items, in order.
std::string JsonDe(const Collection& col);

// Reports a run-time error on standard error (or as JSON on standard
// output) and gives the exit code for it.
int InformaError(const ErrorEjecucion& error, bool json);

}  // namespace vardel::cli
