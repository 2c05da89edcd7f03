#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "archivo_duradero.h"

namespace vardel::cli::puente {

// What the outbox keeps of a document until its page acknowledges it.
struct DocumentoBuzon {
  int documento = 0;
  int lectura = 0;
  std::string texto;   // the "documento" message, as sent
  std::string nombre;  // what the trace calls it: the cheque, its images
  // The cheque's fields and every image: it need not be fed again.
  bool entero = false;
  // Each stored image: its file name (as in its URL) and its path.
  std::vector<std::pair<std::string, std::string>> imagenes;
};

// A read the outbox still holds something of.
struct LecturaBuzon {
  int id = 0;
  std::string origen;  // of the page that asked for it
  // Its answer was given. A read never closed was cut by the bridge's
  // death (a crash, a kill, a power cut).
  bool cerrada = false;
  // A cut read's notice has reached a page.
  bool avisada = false;
  std::vector<std::string> cierres;  // the events that closed it, as sent
  int ultimoEntero = 0;              // its last document delivered whole
};

// The bridge's durable outbox: every document is written here, on stable
// storage, before any page is sent it, and leaves only when its page
// acknowledges it (or its resend window passes, and the log names it).
// A bridge that starts again finds here what the last one delivered and
// no page acknowledged, and the reads it never finished.
//
// One record a line: the CRC-32 of the JSON text in 8 hex digits, a
// space, the JSON text. A line cut short by a crash, or whose sum does not
// match, is skipped and counted, never read as a record; the file is
// rewritten with the live records only when the bridge starts and
// whenever the dead ones outgrow them. Used on the network thread only.
class Buzon {
 public:
  // Opens the outbox at `ruta` (created when missing) and loads it;
  // throws std::runtime_error naming the file.
  explicit Buzon(std::filesystem::path ruta);

  const std::filesystem::path& Ruta() const { return ruta_; }
  // Lines of the file that were not whole records when it was loaded.
  int Descartados() const { return descartados_; }

  // What is kept now, oldest first.
  std::vector<const DocumentoBuzon*> Pendientes() const;
  std::vector<const LecturaBuzon*> Lecturas() const;
  // Numbers go on across the bridge's runs: a number names one cheque.
  int SiguienteDocumento() const { return siguienteDocumento_; }

  // A read begins for a page of `origen`; its id.
  int Lectura(const std::string& origen);
  // Before it is sent.
  void Documento(const DocumentoBuzon& documento);
  // An event that closes the read in flight (its summary, the reader lost,
  // the bridge stopped), before it is sent.
  void Cierre(int lectura, const std::string& texto);
  // The read's answer was given.
  void Fin(int lectura);
  // A cut read's notice was written to a page.
  void Avisada(int lectura);
  // The document leaves: acknowledged, or forgotten past its window.
  void Quita(int documento);

 private:
  void Carga(const std::string& contenido);
  void Aplica(const std::string& json);
  void Registra(const std::string& registro);
  void Compacta();
  std::string Vivos() const;

  std::filesystem::path ruta_;
  std::unique_ptr<AnexoDuradero> archivo_;
  std::map<int, DocumentoBuzon> pendientes_;
  std::map<int, LecturaBuzon> lecturas_;
  int siguienteDocumento_ = 1;
  int siguienteLectura_ = 1;
  int descartados_ = 0;
  std::size_t escritos_ = 0;  // records appended since the file was last rewritten
};

// The line of one record, and the JSON text of a line when it is whole.
std::string LineaBuzon(const std::string& json);
bool JsonDeLinea(const std::string& linea, std::string& json);

}  // namespace vardel::cli::puente
