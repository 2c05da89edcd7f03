#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace mtxsim {

// One of a document's three images.
struct ImagenEscenario {
  enum class Origen { kNinguna, kArchivo, kGenerada };
  Origen origen = Origen::kNinguna;
  std::string ruta;           // kArchivo: resolved path of the file
  std::int32_t tamano = 0;    // kGenerada: bytes to generate
  std::int32_t descarga = 0;  // result of fetching it (0 = the bytes are given)
};

// One document waiting in the tray.
struct DocumentoBandeja {
  std::string res = "0";  // CommandStatus/res of its result document
  std::string micr;       // DocInfo/MICRRaw
  std::array<ImagenEscenario, 3> imagenes;
  bool atasco = false;         // the result carries the jam marker
  std::int32_t resultado = 0;  // result of the capture call
  std::optional<int> retardo_ms;
};

// What the scenario file says; a missing file is a reader that is absent.
struct Escenario {
  bool presente = false;
  std::vector<std::string> dispositivos;
  std::int32_t apertura = 0;
  std::int32_t cierre = 0;
  std::int32_t consulta = 0;
  std::int32_t orden = 0;
  std::string estado;
  std::string respuesta_orden = "OK";
  int retardo_ms = 0;
  std::string diario;                           // resolved path of the journal, "" for none
  std::optional<std::int32_t> tamano_devuelto;  // size written back by every call
  std::vector<DocumentoBandeja> bandeja;
  // The tray holds its documents this many times over, in the same order,
  // so a long tray needs no long scenario.
  std::size_t copias = 1;
  bool rellena = false;
  // The text of the tray's sections: the tray position is kept while it
  // stays the same.
  std::string firma_bandeja;
};

// How many documents the tray holds in all, and the one at a position.
std::size_t LargoBandeja(const Escenario& e);
const DocumentoBandeja& DocumentoEn(const Escenario& e, std::size_t posicion);

// Reads a scenario's text; relative paths are taken from its folder.
Escenario LeeEscenario(const std::string& texto, const std::string& directorio);

}  // namespace mtxsim
