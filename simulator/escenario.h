#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
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
  // Faults: the ImageSize text instead of the real size, and a fetch that
  // hands back only this many bytes and still succeeds.
  std::optional<std::string> texto_tamano;
  std::optional<std::int32_t> entrega_corta;
};

// One document waiting in the tray.
struct DocumentoBandeja {
  std::string res = "0";  // CommandStatus/res of its result document
  std::string micr;       // DocInfo/MICRRaw
  std::array<ImagenEscenario, 3> imagenes;
  bool atasco = false;            // the result carries the jam marker
  int limpiezas_atasco = 1;       // clearings the jam needs before the path is free
  std::int32_t resultado = 0;     // result of the capture call
  bool alimenta = true;           // a failing capture still moves the document out
  std::optional<bool> marca_mas;  // DOCPRESENT forced present or absent
  std::optional<int> retardo_ms;
  std::optional<int> retardo_descarga_ms;
  // Value reads of these keys from its result document fail with the number.
  std::map<std::string, std::int32_t> lecturas_fallidas;
};

// A fault that fires once, at the Nth call of a function or right after the
// kth document has been fed.
struct Suceso {
  enum class Accion { kDesconecta, kBorra, kMueve, kEscribe, kLlena };
  int numero = 0;        // N of its [EventN] section
  std::string funcion;   // with llamada: the function counted
  int llamada = 0;       // fires before this call of the function
  std::size_t tras = 0;  // or: fires after this many documents fed
  Accion accion = Accion::kDesconecta;
  std::string ruta;     // resolved path it acts on
  std::string destino;  // kMueve: resolved new path
  std::string texto;    // kEscribe: the new content
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
  // The same fault for the calls of one function or the reads of one value
  // key (lower-case name), which win over the one above.
  std::map<std::string, std::int32_t> tamanos_devueltos;
  int retardo_descarga_ms = 0;  // milliseconds each image fetch takes
  std::vector<Suceso> sucesos;
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
