#pragma once

#include <string>

// The three calls BibliotecaDinamica needs of the platform's loader.
namespace vardel::platform::detalle {

// The loaded module, or nullptr when the file cannot be loaded; then
// `motivo` holds the loader's own words for the failure.
void* AbreModulo(const std::string& ruta, std::string& motivo);
// The function's address, or nullptr when the module lacks it.
void* SimboloDe(void* modulo, const char* nombre);
void CierraModulo(void* modulo);

}  // namespace vardel::platform::detalle
