#pragma once

#include <memory>
#include <string>

#include "vardel/collection.h"

namespace vardel::capture {

// The file name (without the directory) of image k (1 front, 2 back, 3
// second front) of a document, from the data its LectoraDatos carried: a
// parsed cheque's "Entidad" and "NumDoc", or the no-data collection's
// "IDERR". "" for no data at all.
std::string NombreArchivoImagen(int k, const std::shared_ptr<Collection>& datos);

// The name of image k of a parsed cheque: ANV/REV, "Entidad" and "NumDoc"
// with every byte that is not a digit, a capital letter or "-" written as
// "_" and two hexadecimal digits: one cheque, one name, and no name can
// leave the image directory.
std::string NombreImagenCheque(int k, const Collection& datosLinea);

// The name of image k of a document whose line could not be parsed.
std::string NombreImagenError(int k, std::int16_t indiceError);

}  // namespace vardel::capture
