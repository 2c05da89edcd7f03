#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "ejecucion.h"
#include "escenarios.h"

// The checks after every run: each cheque the simulator fed (its journal)
// delivered once with its images whole, or named by a trace line of the
// log, or cut by the kill while in flight; image files equal to what the
// simulator served; no temporary left after a read that ended; no image
// outside the image folders; only whole lines in the log.
namespace campana {

// What one run adds to the figures.
struct Balance {
  int alimentados = 0;
  int entregados = 0;
  int nombrados = 0;
  int cortados = 0;   // in flight when the reader process was killed
  int atascados = 0;  // jammed: the operator is told by the jam's message
  // The first capture of a read failed while feeding its only cheque: the
  // reader's answer is that of an empty tray, so the component cannot know
  // a cheque left it; the operator sees it in the pocket with no data.
  int sin_anuncio = 0;
  int perdidos = 0;
  int duplicados = 0;
  int temporales = 0;  // temporaries seen after the run
  std::vector<std::string> violaciones;
};

// A file's 64-bit FNV-1a, as the simulator journals what it served (the
// size a faulty library hands back may lie, the fingerprint does not), and
// its size for the messages.
struct Huella {
  long long tamano = -1;
  std::string fnv;
  bool operator==(const Huella& otra) const { return fnv == otra.fnv; }
};
Huella HuellaDe(const std::string& ruta);

// A capture the journal shows as fed, and the images served for it.
struct Alimentado {
  int resultado = 0;
  std::string captura;
  std::string micr;
  bool atasco = false;
  bool sin_anuncio = false;        // the read's first capture, with no further document announced
  std::map<int, Huella> servidas;  // by image index
};

struct Diario {
  std::vector<Alimentado> alimentados;
  std::set<std::pair<int, std::string>> servidas;  // index and FNV of every image served
};

// What the simulator's journal says of a read.
Diario LeeDiario(const std::string& texto);

struct Evento {
  std::string clase;  // datos, sinlinea, nulo
  std::string entidad;
  std::string numdoc;
  std::string iderr;
};

// The host's events, whether its read ended normally (fin), and whether it
// said how it ended (fin or error).
std::vector<Evento> LeeEventos(const std::string& salida, bool& acabo, bool& termino);

// The image folders a read may write into, and what their final image
// files held after the last run.
class Carpetas {
 public:
  Carpetas(std::vector<std::string> permitidas, std::string raiz)
      : permitidas_(std::move(permitidas)), raiz_(std::move(raiz)) {}

  // Checks the run's files and updates what is known of them.
  void Comprueba(const Lectura& lectura, const Ejecucion& ejecucion, const std::string& diario,
                 const std::string& registro, Balance& balance);
  // Forgets every file (after the folders were emptied).
  void Olvida() { conocidos_.clear(); }

 private:
  void RevisaArchivos(const std::string& directorio, bool acabo, bool movida,
                      const std::set<std::pair<int, std::string>>& servidas, Balance& balance);
  void BuscaExtraviadas(std::vector<std::string>& violaciones) const;

  std::vector<std::string> permitidas_;
  std::string raiz_;  // the campaign's scratch tree, searched for misfiled images
  std::map<std::string, Huella> conocidos_;
  std::set<std::string> reservas_;  // claim files seen, left by killed reads
};

}  // namespace campana
