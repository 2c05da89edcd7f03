#include "comprobaciones.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <optional>
#include <regex>
#include <set>

namespace campana {

namespace {

namespace fs = std::filesystem;

std::vector<std::string> Parte(const std::string& texto, const std::string& separador) {
  std::vector<std::string> partes;
  std::size_t inicio = 0;
  while (inicio < texto.size()) {
    std::size_t fin = texto.find(separador, inicio);
    if (fin == std::string::npos) {
      fin = texto.size();
    }
    partes.push_back(texto.substr(inicio, fin - inicio));
    inicio = fin + separador.size();
  }
  return partes;
}

// One journal line's fields by name; a name given twice (the size, in and
// out) keeps its last value.
std::map<std::string, std::string> Campos(const std::vector<std::string>& partes) {
  std::map<std::string, std::string> campos;
  for (std::size_t i = 1; i < partes.size(); ++i) {
    const std::size_t igual = partes[i].find('=');
    if (igual != std::string::npos) {
      campos[partes[i].substr(0, igual)] = partes[i].substr(igual + 1);
    }
  }
  return campos;
}

}  // namespace

Diario LeeDiario(const std::string& texto) {
  Diario diario;
  std::map<std::string, std::size_t> por_captura;
  int capturas = 0;
  for (const std::string& linea : Parte(texto, "\n")) {
    const std::vector<std::string> partes = Parte(linea, "\t");
    if (partes.empty()) {
      continue;
    }
    auto campos = Campos(partes);
    capturas += partes[0] == "MTMICRProcessCheck" ? 1 : 0;
    if (partes[0] == "MTMICRProcessCheck" && campos["fed"] == "yes") {
      por_captura[campos["capture"]] = diario.alimentados.size();
      diario.alimentados.push_back({std::atoi(campos["result"].c_str()),
                                    campos["capture"],
                                    campos["micr"],
                                    campos["jam"] == "yes",
                                    capturas == 1 && campos["docpresent"] == "no",
                                    {}});
    } else if (partes[0] == "MTMICRGetImage" && campos["result"] == "0") {
      // mtxsim:<capture>:<index>
      const std::vector<std::string> url = Parte(campos["image"], ":");
      const auto encontrado = url.size() == 3 ? por_captura.find(url[1]) : por_captura.end();
      if (encontrado == por_captura.end()) {
        continue;
      }
      const int k = std::atoi(url[2].c_str());
      const Huella huella{std::atoll(campos["size"].c_str()), campos["bytes"]};
      diario.alimentados[encontrado->second].servidas[k] = huella;
      diario.servidas.insert({k, huella.fnv});
    }
  }
  return diario;
}

// The host's events, whether its read ended normally, and whether it said
// how it ended (fin or error). A Windows host
// writes its lines with CR LF.
std::vector<Evento> LeeEventos(const std::string& salida, bool& acabo, bool& termino) {
  std::vector<Evento> eventos;
  for (std::string linea : Parte(salida, "\n")) {
    if (!linea.empty() && linea.back() == '\r') {
      linea.pop_back();
    }
    acabo = acabo || linea == "fin";
    termino = termino || linea == "fin" || linea.rfind("error\t", 0) == 0;
    const std::vector<std::string> partes = Parte(linea, "\t");
    if (partes.empty()) {
      continue;
    }
    if (partes[0] == "datos" && partes.size() == 3) {
      eventos.push_back({"datos", partes[1], partes[2], ""});
    } else if (partes[0] == "sinlinea" && partes.size() == 2) {
      eventos.push_back({"sinlinea", "", "", partes[1]});
    } else if (partes[0] == "nulo") {
      eventos.push_back({"nulo", "", "", ""});
    }
  }
  return eventos;
}

namespace {

// A trace line naming a pass that delivered nothing.
struct Traza {
  std::string clase;  // captura, documento, imagen
  int imagen = 0;     // the image index of an image's trace
  int numero = 0;     // the leading number of the line
  std::string linea;  // the code line inside the quotes
  bool usada = false;
};

std::vector<Traza> LeeRegistro(const std::string& texto, Balance& balance) {
  std::vector<Traza> trazas;
  if (!texto.empty() && texto.size() >= 2 && texto.compare(texto.size() - 2, 2, "\r\n") != 0) {
    balance.violaciones.push_back("el registro acaba en una línea a medias");
  }
  // The date and time in the system's form ("12/8/2026 10:29:42 AM" under Wine).
  static const std::regex kLinea(R"(^[0-9][0-9/.:-]*( [0-9:]+(?: [AP]M)?)? - (-?[0-9]+) - (.*)$)");
  static const std::regex kTraza(R"(n.{1,2}mero de error (-?[0-9]+), l.{1,2}nea "([^"]*)\")");
  for (const std::string& linea : Parte(texto, "\r\n")) {
    std::smatch partes;
    if (linea.find_first_of("\r\n") != std::string::npos ||
        !std::regex_match(linea, partes, kLinea)) {
      balance.violaciones.push_back("línea rota en el registro: \"" + linea + "\"");
      continue;
    }
    const std::string mensaje = partes[3];
    std::smatch traza;
    if (!std::regex_search(mensaje, traza, kTraza)) {
      continue;
    }
    const int numero = std::atoi(partes[2].str().c_str());
    const std::string clase = mensaje.find("Captura fallida") != std::string::npos ? "captura"
                              : mensaje.find("Documento sin datos") != std::string::npos
                                  ? "documento"
                                  : "imagen";
    const std::size_t imagen = mensaje.find("Imagen ");
    const int k = imagen == std::string::npos ? 0 : std::atoi(mensaje.c_str() + imagen + 7);
    trazas.push_back({clase, k, numero, traza[2], false});
  }
  return trazas;
}

// The first unused trace that fits, marked used.
bool Usa(std::vector<Traza>& trazas, const std::string& clase,
         const std::function<bool(const Traza&)>& encaja) {
  for (Traza& traza : trazas) {
    if (!traza.usada && traza.clase == clase && encaja(traza)) {
      traza.usada = true;
      return true;
    }
  }
  return false;
}

std::string Recorta(const std::string& texto) {
  const std::size_t inicio = texto.find_first_not_of(' ');
  const std::size_t fin = texto.find_last_not_of(' ');
  return inicio == std::string::npos ? "" : texto.substr(inicio, fin - inicio + 1);
}

// The image index a final name stands for; 0 when it is no image name.
int IndiceDe(const std::string& nombre) {
  static const std::regex kFinal(R"(^(ERR)?(ANV|REV).*\.(tif|jpg)$)");
  std::smatch partes;
  if (!std::regex_match(nombre, partes, kFinal)) {
    return 0;
  }
  return partes[3] == "jpg" ? 3 : partes[2] == "REV" ? 2 : 1;
}

std::string NombreImagen(int k, const std::string& base) {
  return (k == 2 ? "REV" : "ANV") + base + (k == 3 ? ".jpg" : ".tif");
}

// Each fed cheque: delivered once, named, cut by the kill, or lost.
void CuentaCheques(const Diario& diario, const std::vector<Evento>& eventos,
                   std::vector<Traza>& trazas, const std::map<std::string, Huella>& ahora,
                   const std::vector<std::string>& permitidas, const Ejecucion& ejecucion,
                   Balance& balance) {
  auto& violaciones = balance.violaciones;
  // A setting read afresh for each file may send a pass's images to
  // different folders: an image is where a folder holds it as served.
  const auto busca = [&](const std::string& nombre, const Huella& servida) {
    std::optional<Huella> hallada;
    for (const std::string& carpeta : permitidas) {
      const auto encontrado = ahora.find(carpeta + "/" + nombre);
      if (encontrado != ahora.end() && (!hallada || encontrado->second == servida)) {
        hallada = encontrado->second;
      }
    }
    return hallada;
  };
  std::size_t evento = 0;
  std::set<std::string> entregados;
  for (std::size_t i = 0; i < diario.alimentados.size(); ++i) {
    const Alimentado& a = diario.alimentados[i];
    const bool ultimo = i + 1 == diario.alimentados.size();
    const std::string linea = Recorta(a.micr);
    ++balance.alimentados;
    // A trace names the cheque by its code line, empty when none was read.
    const auto nombra = [&](const Traza& t) { return t.linea == linea || t.linea.empty(); };
    const auto perdido = [&](const std::string& como) {
      if (ejecucion.matado && ultimo) {
        ++balance.cortados;
        return;
      }
      ++balance.perdidos;
      violaciones.push_back("cheque perdido (captura " + a.captura + ", línea \"" + linea +
                            "\"): " + como);
    };
    if (a.resultado != 0 && a.atasco) {
      ++balance.atascados;  // the jam's message names it to the operator
      continue;
    }
    if (a.resultado != 0 && a.sin_anuncio) {
      ++balance.sin_anuncio;
      continue;
    }
    if (a.resultado != 0) {
      if (!Usa(trazas, "captura", [&](const Traza& t) { return t.numero == a.resultado; })) {
        perdido("la captura falló con " + std::to_string(a.resultado) + " y nada lo nombra");
      } else {
        ++balance.nombrados;
      }
      continue;
    }
    // A trace that names this cheque by its code line first: a status
    // trace names no line and must not be taken from a later cheque.
    const auto nombradoSinDatos = [&] {
      const auto exacta = [&](const Traza& t) { return !t.linea.empty() && t.linea == linea; };
      return Usa(trazas, "imagen", exacta) || Usa(trazas, "documento", nombra) ||
             Usa(trazas, "imagen", nombra);
    };
    if (evento >= eventos.size()) {
      if (nombradoSinDatos()) {
        ++balance.nombrados;
      } else {
        perdido("alimentado sin datos para el anfitrión ni línea que lo nombre");
      }
      continue;
    }
    const Evento& e = eventos[evento++];
    if (e.clase == "nulo") {
      if (nombradoSinDatos()) {
        ++balance.nombrados;
      } else {
        perdido("el anfitrión recibió un evento sin datos y nada lo nombra");
      }
      continue;
    }
    const bool datos = e.clase == "datos";
    if (datos && linea.find("C" + e.numdoc + "E" + e.entidad + "C") != 0) {
      violaciones.push_back("datos de otro cheque (captura " + a.captura + "): " + e.entidad + " " +
                            e.numdoc);
    }
    const std::string clave = datos ? e.entidad + e.numdoc : "IDERR " + e.iderr;
    if (!entregados.insert(clave).second) {
      ++balance.duplicados;
      violaciones.push_back("cheque entregado dos veces: " + clave);
      continue;
    }
    ++balance.entregados;
    for (int k = 1; k <= 3; ++k) {
      const std::string nombre =
          datos ? NombreImagen(k, e.entidad + e.numdoc) : "ERR" + NombreImagen(k, e.iderr);
      const auto servida = a.servidas.find(k);
      const bool enviada = servida != a.servidas.end();
      const std::optional<Huella> archivo = enviada ? busca(nombre, servida->second) : std::nullopt;
      const bool guardada = enviada && archivo && *archivo == servida->second;
      // An image sent but not stored may be named by a trace. One never
      // sent (absent, or its fetch failed) needs none, and must not take
      // the trace that names a later cheque.
      const bool nombrada = enviada && !guardada && Usa(trazas, "imagen", [&](const Traza& t) {
                              return t.imagen == k && nombra(t);
                            });
      if (enviada && !guardada && !nombrada) {
        violaciones.push_back("imagen " + std::to_string(k) + " del cheque entregado (captura " +
                              a.captura + ") " + (archivo ? "distinta de la enviada" : "no está") +
                              ": " + nombre);
      }
    }
  }
  if (evento < eventos.size()) {
    balance.duplicados += static_cast<int>(eventos.size() - evento);
    violaciones.push_back(std::to_string(eventos.size() - evento) +
                          " eventos de más para las capturas que hubo");
  }
  if (ejecucion.colgado) {
    violaciones.push_back("la lectura no acabó en su plazo");
  }
}

}  // namespace

Huella HuellaDe(const std::string& ruta) {
  std::ifstream entrada(ruta, std::ios::binary);
  if (!entrada) {
    return {};
  }
  std::uint64_t fnv = 14695981039346656037ULL;
  long long tamano = 0;
  char bloque[1 << 16];
  while (entrada.read(bloque, sizeof bloque) || entrada.gcount() > 0) {
    for (std::streamsize i = 0; i < entrada.gcount(); ++i) {
      fnv = (fnv ^ static_cast<unsigned char>(bloque[i])) * 1099511628211ULL;
    }
    tamano += entrada.gcount();
  }
  char texto[17];
  std::snprintf(texto, sizeof texto, "%016llx", static_cast<unsigned long long>(fnv));
  return {tamano, texto};
}

// An image name anywhere else in the scratch tree, or at the root, is
// misfiled (a cut or empty folder setting).
void Carpetas::BuscaExtraviadas(std::vector<std::string>& violaciones) const {
  std::error_code error;
  for (const auto& entrada : fs::recursive_directory_iterator(raiz_, error)) {
    const std::string carpeta = entrada.path().parent_path().string();
    bool permitida = false;
    for (const std::string& p : permitidas_) {
      permitida = permitida || carpeta == p;
    }
    if (!permitida && IndiceDe(entrada.path().filename().string()) != 0) {
      violaciones.push_back("imagen fuera de las carpetas de imágenes: " + entrada.path().string());
      fs::remove(entrada.path(), error);
    }
  }
  for (const auto& entrada : fs::directory_iterator("/", error)) {
    const std::string nombre = entrada.path().filename().string();
    if (IndiceDe(nombre) != 0 && entrada.is_regular_file(error)) {
      violaciones.push_back("imagen en la raíz del sistema de archivos: " +
                            entrada.path().string());
      fs::remove(entrada.path(), error);
    }
  }
}

// The image folders now: temporaries, and final images new (served in
// this run), changed or gone (never).
void Carpetas::RevisaArchivos(const std::string& directorio, bool acabo, bool movida,
                              const std::set<std::pair<int, std::string>>& servidas,
                              Balance& balance) {
  auto& violaciones = balance.violaciones;
  // The files now in the image folders: final names and anything else.
  std::map<std::string, Huella> ahora;
  for (const std::string& carpeta : permitidas_) {
    std::error_code error;
    for (const auto& entrada : fs::directory_iterator(carpeta, error)) {
      const std::string nombre = entrada.path().filename().string();
      if (nombre.rfind("vardel-barrido-", 0) == 0) {
        // The day's sweep marker: taken away, so every read of the campaign
        // stands for the first of a new day and sweeps what killed reads
        // left behind.
        fs::remove(entrada.path(), error);
        continue;
      }
      if (nombre == "vardel-numero.pista") {
        continue;  // where the next number search starts: kept on purpose
      }
      if (nombre.rfind("vardel-numero-", 0) == 0) {
        // A claim outlives only a killed read, or one whose folder was
        // moved away under it (as a temporary does, below); one that ended
        // gave its up.
        if (acabo && !movida && carpeta == directorio &&
            reservas_.count(entrada.path().string()) == 0) {
          violaciones.push_back("reserva sobrante tras una lectura terminada: " +
                                entrada.path().string());
        }
        reservas_.insert(entrada.path().string());
        continue;
      }
      if (IndiceDe(nombre) == 0) {
        ++balance.temporales;
        // A folder moved away in the middle of a write keeps the
        // temporary the writer could no longer find; the next read sweeps
        // it, its process being gone.
        if (acabo && !movida && carpeta == directorio) {
          violaciones.push_back("archivo sobrante tras una lectura terminada: " +
                                entrada.path().string());
        }
        continue;
      }
      const auto conocido = conocidos_.find(entrada.path().string());
      const Huella huella = HuellaDe(entrada.path().string());
      ahora[entrada.path().string()] = huella;
      if (conocido != conocidos_.end()) {
        // Every cheque of the campaign has names of its own and an error
        // number is never reused: an image once written never changes.
        if (!(conocido->second == huella)) {
          violaciones.push_back("imagen de una lectura anterior reemplazada: " +
                                entrada.path().string());
        }
        continue;
      }
      // New: it must hold an image served in this run for that index. An
      // empty file is no image, even after a transfer of no bytes.
      if (huella.tamano == 0) {
        violaciones.push_back("imagen vacía: " + entrada.path().string());
      } else if (servidas.count({IndiceDe(nombre), huella.fnv}) == 0) {
        violaciones.push_back("imagen que la lectora no envió así: " + entrada.path().string() +
                              " (" + std::to_string(huella.tamano) + " bytes)");
      }
    }
  }
  for (const auto& [ruta, huella] : conocidos_) {
    if (ahora.count(ruta) == 0) {
      violaciones.push_back("imagen desaparecida: " + ruta);
    }
  }
  conocidos_ = ahora;
}

void Carpetas::Comprueba(const Lectura& lectura, const Ejecucion& ejecucion,
                         const std::string& texto_diario, const std::string& registro,
                         Balance& balance) {
  auto& violaciones = balance.violaciones;
  const Diario diario = LeeDiario(texto_diario);
  bool acabo = false;
  bool termino = false;
  const std::vector<Evento> eventos = LeeEventos(ejecucion.salida, acabo, termino);
  if (!termino && !ejecucion.matado && !ejecucion.colgado) {
    // A crash, or a host that never ran: no read may end without a word.
    violaciones.push_back("el anfitrión acabó sin decir cómo acabó la lectura (código " +
                          std::to_string(ejecucion.codigo) + ")");
  }
  std::vector<Traza> trazas = LeeRegistro(registro, balance);

  const bool movida = std::find(lectura.fallas.begin(), lectura.fallas.end(),
                                Falla::kDirectorioMovido) != lectura.fallas.end();
  RevisaArchivos(lectura.directorio, acabo, movida, diario.servidas, balance);
  BuscaExtraviadas(violaciones);
  CuentaCheques(diario, eventos, trazas, conocidos_, permitidas_, ejecucion, balance);
}

}  // namespace campana
