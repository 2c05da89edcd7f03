#pragma once

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>

#include "vardel/collection.h"
#include "vardel/error.h"

namespace vardel::cli {

using nlohmann::ordered_json;

// One collection item as JSON: texts as strings ("" as null), numbers as
// numbers, dates as "yyyy-mm-dd", Empty as null.
ordered_json JsonDe(const Variant& valor);

// A collection as a JSON object of its items in order, under their keys
// (an item without a key under its position). An amount (Importe) is a
// number of at most two decimals, never in exponent form.
ordered_json JsonDe(const Collection& col);

// An amount for the operator: two decimals, with the decimal mark and the
// grouping of the locale the environment names ("1.500,00" in es_ES,
// "1500.00" in C).
std::string ImporteEnTexto(double valor);

// The text of one JSON line, as every host of this program writes it: text
// the component hands over is UTF-8; anything else is replaced.
std::string TextoLinea(const ordered_json& linea);

// Writes one JSON line (on standard output unless told) and flushes it, so
// a script reading the pipe sees each line as it happens.
void EmiteLinea(const ordered_json& linea, std::FILE* destino = stdout);

// Flushes standard output; when it can no longer be written (a closed
// pipe) the command is asked to stop (parada.h).
void VuelcaSalida();

// The "error" line of a run-time error: its detail, then the command's
// (null when both are empty).
ordered_json LineaError(const ErrorEjecucion& error, const std::string& detalleOrden = "");

// Reports a run-time error, with its detail and the command's own words
// when there are any: on standard error as text, or as an "error" line on
// standard output with --json. Gives the exit code for it.
int InformaError(const ErrorEjecucion& error, bool json, const std::string& detalleOrden = "");

// What the operator checks when no reader answers: the reader library did
// load (else creation would have failed with error 48 and its paths), so
// the device named in Config.ini is not connected, is off, or is in use.
std::string DetalleSinLectora();

// The "estado" line: whether a reader answers, and when none does, what to
// check; `aviso` (AvisoNombre) at its end, null when "".
ordered_json LineaEstado(bool conectada, const std::string& aviso = "");

// The "lectora" line: the reader's connected state now, stamped with the
// moment.
ordered_json LineaLectora(bool conectada);

// When "Name" in Config.ini is not the device the presence check watches,
// the words that say so (a read opens "Name"); "" when they are the same.
std::string AvisoNombre();

// The detail with, when Config.ini cannot be read as the component reads
// it, what is wrong with the file (AvisoConfiguracion) after it.
std::string ConAvisoConfiguracion(const std::string& detalle);

}  // namespace vardel::cli
