#pragma once

#include <memory>
#include <string>

#include "vardel/boolean.h"
#include "vardel/collection.h"

// The settings module: Config.ini in the component's directory, section
// "LectoraUSB". Nothing is cached: every read goes to the file.
namespace vardel::Configuracion {

inline constexpr const char* kSeccion = "LectoraUSB";

// The settings file's path, built afresh: the component's directory, the
// platform's separator, "Config.ini".
std::string RutaConfig();

// One key's value, at most 127 characters; "" when the file, the section or
// the key is missing.
std::string LeeIni(const std::string& seccion, const std::string& clave,
                   const std::string& archivo);

// True when the platform reported the write as done.
Boolean EscribeIni(const std::string& seccion, const std::string& clave, const std::string& valor,
                   const std::string& archivo);

// One key of section "LectoraUSB" of Config.ini, read now.
std::string LeeAjuste(const std::string& clave);

// True when the key's value is longer than a read returns (127 characters
// in the file's code page): a read would hand it back cut. `leido` is what a
// read just gave; only one that reached the limit sends the file to be read
// again, so the common short value costs no second read.
bool AjusteCortado(const std::string& clave, const std::string& leido);

// The longest value a read hands back whole, in the file's code page.
inline constexpr std::size_t kLargoMaximoValor = 127;

// A notice for the operator, or "": Config.ini starts with the UTF-8 mark
// (EF BB BF) and section "LectoraUSB" is not found. Windows does not
// recognise that mark, so its bytes hide a section header on the first
// line; the notice says so and how to save the file instead.
std::string AvisoMarcaUtf8();

// The five settings the settings screen shows: "Resolution1", "FileType1",
// "PrintData", "DocFeed", "DirectorioImg", in that order.
std::shared_ptr<Collection> LeeConfiguracion();

// Writes the settings screen's seven keys. A value longer than a read hands
// back whole raises 5 before any key is written; a missing item raises 5 at
// its key, a write that fails raises 75 at its key; keys already written
// stay.
void GuardaConfiguracion(const Collection& col);

// The short form of a path; "" when the path does not exist.
std::string RutaCorta(const std::string& ruta);

}  // namespace vardel::Configuracion
