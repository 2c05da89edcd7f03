#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

// Scenario generation: what each run of the campaign feeds, and the faults
// it meets.
namespace campana {

enum class Falla {
  kDirectorioFalta,       // DirectorioImg names a missing folder
  kDirectorioArchivo,     // DirectorioImg names a file
  kDirectorioLargo,       // DirectorioImg longer than the settings read takes
  kDirectorioVacio,       // DirectorioImg empty
  kSoloLectura,           // the image folder cannot be written
  kDiscoLleno,            // the image folder's file system fills up
  kBibliotecaIncompleta,  // the reader library lacks one function
  kDesconexion,           // the reader goes away in the middle of the tray
  kDirectorioMovido,      // the image folder disappears during the read
  kConfigEditada,         // Config.ini rewritten or removed during the read
  kTextoTamano,           // an ImageSize text unlike the image
  kEntregaCorta,          // a fetch hands back fewer bytes and succeeds
  kTamanoDevuelto,        // a call hands back a wrong size
  kLecturaFallida,        // reading res or MICRRaw fails
  kCapturaFallida,        // a capture call fails (fed or not)
  kEstadoMalo,            // a status not 0
  kAtasco,                // a jam, perhaps needing more than one clearing
  kDescargaFallida,       // an image fetch fails
  kMarcaErronea,          // the more-documents marker wrong
  kRegistroFalta,         // DirectorioLog names a missing folder
  kRegistroSoloLectura,   // the log's folder cannot be written
  kRegistroDiscoLleno,    // the log and the images on a file system that fills up
  kMatanza,               // the reading process killed with SIGKILL
  kCuenta
};
const char* NombreFalla(Falla falla);

// The folders and files a run's settings may name.
struct Rutas {
  std::string instalacion;       // host, component, simulator, Config.ini, scenario
  std::string imagenes;          // the usual image folder
  std::string otras_imagenes;    // another folder Config.ini may be switched to
  std::string apartadas;         // where a moved image folder goes
  std::string archivo;           // a plain file
  std::string largo;             // an existing folder whose path is over 127 characters
  std::string solo_lectura;      // a folder no one may write into, "" when there is none
  std::string disco;             // a small file system's folder, "" when there is none
  std::vector<std::string> sin;  // functions a variant of the simulator lacks
  bool windows = false;          // the host runs under Wine

  // A path as the host and the simulator take it: under Wine, on drive Z:.
  std::string Nativa(const std::string& ruta) const;
};

// One cheque of the tray as generated: its code line and, when the line
// parses, the fields that name its images.
struct Cheque {
  std::string micr;
  bool legible = true;
  std::string entidad;
  std::string numdoc;
};

// One run: the files to write before it, and what was chosen.
struct Lectura {
  std::string escenario;
  std::string config;
  std::string directorio;  // the folder DirectorioImg names ("" for none)
  std::string registro;    // the folder DirectorioLog names ("" for the component's)
  std::string biblioteca;  // "" or the function the simulator lacks
  bool log_activo = false;
  std::vector<Falla> fallas;
  std::vector<Cheque> bandeja;
  std::optional<int> matar_ms;  // SIGKILL after this many milliseconds
};

std::string TextoConfig(const std::string& directorio, bool log_activo,
                        const std::string& registro = "");

class Generador {
 public:
  Generador(std::uint64_t semilla, const Rutas& rutas) : azar_(semilla), rutas_(rutas) {}
  // The run numbered n; cheque numbers stay unique across runs. A kill
  // lands within the first matar_hasta_ms milliseconds.
  Lectura Genera(int n, int matar_hasta_ms);

 private:
  int Entre(int desde, int hasta) {
    return std::uniform_int_distribution<int>(desde, hasta)(azar_);
  }
  bool Prob(double p) { return std::bernoulli_distribution(p)(azar_); }
  Cheque NuevoCheque(int n, int posicion);
  void Aplica(Falla falla, Lectura& lectura, std::vector<std::string>& documentos,
              std::vector<std::string>& reader, std::vector<std::string>& sucesos,
              const std::vector<int>& tamanos);

  std::mt19937_64 azar_;
  Rutas rutas_;
};

}  // namespace campana
