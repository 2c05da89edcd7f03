#include "simulador.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "documento.h"
#include "escenario.h"
#include "plataforma.h"

#ifdef VARDEL_CON_SANITIZADORES
#include <sanitizer/lsan_interface.h>
#endif

namespace mtxsim {

namespace {

using namespace resultado;

// The simulator's own setting: the scenario file to use instead of the one
// beside the library.
constexpr const char* kVariableEscenario = "MTXSIM_SCENARIO";
constexpr const char* kArchivoEscenario = "mtxmlmcr.scenario";
// The longest input document read from a caller's buffer.
constexpr std::size_t kMaximoDocumento = 1 << 20;

struct ImagenCapturada {
  bool existe = false;
  std::vector<unsigned char> bytes;
  std::int32_t descarga = 0;
  std::optional<std::int32_t> entrega_corta;
  std::string url;
};

struct Estado {
  std::mutex mutex;
  bool leido = false;
  std::string ruta;
  bool existe = false;
  std::string texto;
  Escenario escenario;
  std::string firma_bandeja;
  std::size_t siguiente = 0;  // the next document of the tray
  std::set<std::string> abiertos;
  bool salida_atascada = false;
  bool entrada_atascada = false;
  int limpiezas_pendientes = 0;   // clearings the jam still needs
  std::size_t sin_alimentar = 0;  // tray position (from 1) whose capture failed unfed
  std::uint32_t secuencia = 0;    // captures made, names the images
  std::array<ImagenCapturada, 3> imagenes;
  // Faults of the last captured document that act after the capture.
  std::map<std::string, std::int32_t> lecturas_fallidas;
  int retardo_descarga_ms = 0;
  // Since the scenario's text was last read: calls per function, documents
  // fed, and the events that have fired.
  std::map<std::string, int> llamadas;
  std::size_t alimentados = 0;
  std::set<int> disparados;
};

// Never destroyed: a host may call in while the process is ending. A
// library unloaded before the end leaves it behind; the leak checker, whose
// runtime outlives the library, is told so rather than report it.
Estado& ElEstado() {
  static Estado* const estado = [] {
    auto* nuevo = new Estado();
#ifdef VARDEL_CON_SANITIZADORES
    __lsan_ignore_object(nuevo);
#endif
    return nuevo;
  }();
  return *estado;
}

bool LeeArchivo(const std::string& ruta, std::string& bytes) {
  std::ifstream entrada(ruta, std::ios::binary);
  if (!entrada) {
    return false;
  }
  // In one piece: the scenario is read at every call.
  std::ostringstream contenido;
  contenido << entrada.rdbuf();
  bytes = std::move(contenido).str();
  return true;
}

std::string RutaEscenario() {
  std::string elegida = VariableEntorno(kVariableEscenario);
  if (!elegida.empty()) {
    return elegida;
  }
  return Resuelve(DirectorioModulo(), kArchivoEscenario);
}

// Re-reads the scenario when its path or its text changed. The tray
// position survives a re-read that leaves the tray's sections as they were.
void Actualiza(Estado& e) {
  const std::string ruta = RutaEscenario();
  std::string texto;
  const bool existe = LeeArchivo(ruta, texto);
  if (e.leido && ruta == e.ruta && existe == e.existe && texto == e.texto) {
    return;
  }
  const bool misma_ruta = e.leido && ruta == e.ruta;
  e.leido = true;
  e.ruta = ruta;
  e.existe = existe;
  e.texto = texto;
  e.escenario = existe ? LeeEscenario(texto, DirectorioDe(ruta)) : Escenario{};
  e.llamadas.clear();
  e.alimentados = 0;
  e.disparados.clear();
  if (!misma_ruta) {
    // Another scenario file is another reader: nothing of the last one stays.
    e.abiertos.clear();
    e.imagenes = {};
  }
  if (!misma_ruta || e.escenario.firma_bandeja != e.firma_bandeja) {
    e.firma_bandeja = e.escenario.firma_bandeja;
    e.siguiente = 0;
    e.salida_atascada = e.entrada_atascada = false;
    e.limpiezas_pendientes = 0;
    e.sin_alimentar = 0;
  }
  // A reader that went away, or a device no longer listed, is closed.
  for (auto it = e.abiertos.begin(); it != e.abiertos.end();) {
    bool listado = false;
    for (const std::string& nombre : e.escenario.dispositivos) {
      listado = listado || nombre == *it;
    }
    it = (e.escenario.presente && listado) ? std::next(it) : e.abiertos.erase(it);
  }
}

std::string Escapa(std::string_view texto) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string salida;
  for (const char c : texto) {
    const auto u = static_cast<unsigned char>(c);
    if (c == '\\') {
      salida += "\\\\";
    } else if (c == '\t') {
      salida += "\\t";
    } else if (c == '\n') {
      salida += "\\n";
    } else if (c == '\r') {
      salida += "\\r";
    } else if (u < 0x20 || u == 0x7F) {
      salida += "\\x";
      salida += kHex[u >> 4];
      salida += kHex[u & 0xF];
    } else {
      salida += c;
    }
  }
  return salida;
}

void Anota(const Estado& e, const std::string& linea) {
  if (!e.escenario.diario.empty()) {
    std::ofstream diario(e.escenario.diario, std::ios::binary | std::ios::app);
    diario << linea << "\n";
  }
}

// 64-bit FNV-1a of the bytes an image fetch hands back, journalled so a
// test can tell a stored file from what the reader sent.
std::string Huella(const unsigned char* bytes, std::size_t tamano) {
  std::uint64_t huella = 14695981039346656037ULL;
  for (std::size_t i = 0; i < tamano; ++i) {
    huella = (huella ^ bytes[i]) * 1099511628211ULL;
  }
  char texto[17];
  std::snprintf(texto, sizeof texto, "%016llx", static_cast<unsigned long long>(huella));
  return texto;
}

// Writes to the file until its file system refuses more, never beyond
// 256 MiB, so a wrong path cannot fill a real disk.
bool Llena(const std::string& ruta) {
  std::FILE* archivo = std::fopen(ruta.c_str(), "ab");
  if (archivo == nullptr) {
    return false;
  }
  static const std::vector<char> kBloque(1 << 16, 0);
  for (int i = 0; i < 4096; ++i) {
    if (std::fwrite(kBloque.data(), 1, kBloque.size(), archivo) != kBloque.size() ||
        std::fflush(archivo) != 0) {
      break;
    }
  }
  std::fclose(archivo);
  return true;
}

// Carries out an event of the scenario and journals it.
void Dispara(Estado& e, const Suceso& suceso) {
  if (!e.disparados.insert(suceso.numero).second) {
    return;
  }
  namespace fs = std::filesystem;
  std::error_code error;
  bool hecho = true;
  std::string accion;
  switch (suceso.accion) {
    case Suceso::Accion::kDesconecta:
      accion = "unplug";
      e.escenario.presente = false;
      e.abiertos.clear();
      break;
    case Suceso::Accion::kBorra:
      accion = "remove";
      hecho = fs::remove_all(fs::path(suceso.ruta), error) > 0;
      break;
    case Suceso::Accion::kMueve:
      accion = "move";
      fs::rename(fs::path(suceso.ruta), fs::path(suceso.destino), error);
      hecho = !error;
      break;
    case Suceso::Accion::kEscribe: {
      accion = "write";
      std::ofstream archivo(suceso.ruta, std::ios::binary | std::ios::trunc);
      archivo << suceso.texto;
      hecho = static_cast<bool>(archivo.flush());
      break;
    }
    case Suceso::Accion::kLlena:
      accion = "fill";
      hecho = Llena(suceso.ruta);
      break;
  }
  Anota(e, "Event\tnumber=" + std::to_string(suceso.numero) + "\tdo=" + accion +
               "\tpath=" + suceso.ruta + "\tresult=" + (hecho ? "0" : "-99"));
}

// One line of the journal: the function, its arguments as name=value,
// "result=N", then what the call handed back; fields separated by tabs.
class Registro {
 public:
  // Counts the call, and fires the events due before it.
  Registro(Estado& e, std::string funcion) : funcion_(funcion), entradas_(std::move(funcion)) {
    const int llamada = ++e.llamadas[funcion_];
    for (const Suceso& suceso : e.escenario.sucesos) {
      if (suceso.llamada == llamada && IgualSinMayusculas(suceso.funcion, funcion_)) {
        Dispara(e, suceso);
      }
    }
  }
  // The value key a read names, for the size fault of that key.
  void Clave(const char* clave) { clave_ = clave == nullptr ? "" : Minusculas(clave); }

  void Texto(const char* nombre, const char* valor) {
    Anade(entradas_, nombre, valor == nullptr ? "(null)" : Escapa(valor));
  }
  void Numero(const char* nombre, std::int64_t valor) {
    Anade(entradas_, nombre, std::to_string(valor));
  }
  void Tamano(std::int32_t* tamano) {
    tamano_ = tamano;
    Anade(entradas_, "size", tamano == nullptr ? "(null)" : std::to_string(*tamano));
  }
  void Sale(const char* nombre, std::string_view valor) { Anade(salidas_, nombre, Escapa(valor)); }

  std::int32_t Fin(Estado& e, std::int32_t resultado) {
    if (tamano_ != nullptr) {
      // A scenario may make every call hand back a given size, as a faulty
      // library would.
      if (const auto tamano = TamanoDevuelto(e.escenario)) {
        *tamano_ = *tamano;
      }
      Anade(salidas_, "size", std::to_string(*tamano_));
    }
    Anota(e, entradas_ + "\tresult=" + std::to_string(resultado) + salidas_);
    return resultado;
  }

  // The size the scenario makes this call hand back, if any.
  std::optional<std::int32_t> TamanoDevuelto(const Escenario& escenario) const {
    for (const std::string& nombre : {clave_, Minusculas(funcion_)}) {
      const auto encontrado = escenario.tamanos_devueltos.find(nombre);
      if (!nombre.empty() && encontrado != escenario.tamanos_devueltos.end()) {
        return encontrado->second;
      }
    }
    return escenario.tamano_devuelto;
  }

 private:
  static void Anade(std::string& linea, const char* nombre, const std::string& valor) {
    linea += '\t';
    linea += nombre;
    linea += '=';
    linea += valor;
  }

  std::string funcion_;
  std::string clave_;
  std::string entradas_;
  std::string salidas_;
  std::int32_t* tamano_ = nullptr;
};

// Text into a caller's buffer of the size it told: the text and its NUL,
// or, when they do not fit, nothing written and the size needed handed back.
std::int32_t Escribe(char* destino, std::int32_t* tamano, const std::string& texto) {
  const std::size_t necesario = texto.size() + 1;
  if (*tamano <= 0 || necesario > static_cast<std::size_t>(*tamano)) {
    *tamano = static_cast<std::int32_t>(necesario);
    return kBufferPequeno;
  }
  std::memcpy(destino, texto.data(), texto.size());
  destino[texto.size()] = '\0';
  return kBien;
}

std::string LeeTexto(const char* origen, std::size_t maximo) {
  std::size_t longitud = 0;
  while (longitud < maximo && origen[longitud] != '\0') {
    ++longitud;
  }
  return std::string(origen, longitud);
}

bool Listado(const Estado& e, const std::string& dispositivo) {
  if (!e.escenario.presente) {
    return false;
  }
  for (const std::string& nombre : e.escenario.dispositivos) {
    if (nombre == dispositivo) {
      return true;
    }
  }
  return false;
}

// 0 when the device is listed and open.
std::int32_t CompruebaAbierto(const Estado& e, const char* dispositivo) {
  if (!Listado(e, dispositivo)) {
    return kNoEncontrado;
  }
  return e.abiertos.count(dispositivo) != 0 ? kBien : kNoAbierto;
}

std::vector<unsigned char> BytesGenerados(std::int32_t tamano, std::uint32_t semilla) {
  std::vector<unsigned char> bytes(static_cast<std::size_t>(tamano > 0 ? tamano : 0));
  static constexpr char kCabecera[] = "MTXSIM";
  // Byte i is (i * 31 + semilla) mod 256, which repeats every 256 bytes:
  // one period is computed and copied along, so a long image costs little.
  std::array<unsigned char, 256> periodo{};
  for (std::size_t i = 0; i < periodo.size(); ++i) {
    periodo[i] = static_cast<unsigned char>((i * 31 + semilla) & 0xFF);
  }
  for (std::size_t i = 0; i < bytes.size(); i += periodo.size()) {
    std::memcpy(bytes.data() + i, periodo.data(), std::min(periodo.size(), bytes.size() - i));
  }
  std::memcpy(bytes.data(), kCabecera, std::min(sizeof kCabecera - 1, bytes.size()));
  return bytes;
}

template <typename Operacion>
std::int32_t Protegida(Operacion operacion) {
  try {
    Estado& e = ElEstado();
    std::lock_guard<std::mutex> cerrojo(e.mutex);
    Actualiza(e);
    return operacion(e);
  } catch (...) {
    return kInterno;
  }
}

}  // namespace

std::int32_t GetDevice(std::int32_t indice, char* nombre) {
  return Protegida([&](Estado& e) {
    Registro r(e, "MTMICRGetDevice");
    r.Numero("index", indice);
    if (nombre == nullptr) {
      return r.Fin(e, kArgumento);
    }
    const auto& lista = e.escenario.dispositivos;
    if (!e.escenario.presente || indice < 1 || static_cast<std::size_t>(indice) > lista.size()) {
      return r.Fin(e, kNoHayMas);
    }
    const std::string& elegido = lista[static_cast<std::size_t>(indice) - 1];
    std::memcpy(nombre, elegido.c_str(), elegido.size() + 1);
    r.Sale("name", elegido);
    return r.Fin(e, kBien);
  });
}

std::int32_t OpenDevice(const char* dispositivo) {
  return Protegida([&](Estado& e) {
    Registro r(e, "MTMICROpenDevice");
    r.Texto("device", dispositivo);
    if (dispositivo == nullptr) {
      return r.Fin(e, kArgumento);
    }
    if (!Listado(e, dispositivo)) {
      return r.Fin(e, kNoEncontrado);
    }
    if (e.escenario.apertura != kBien) {
      return r.Fin(e, e.escenario.apertura);
    }
    e.abiertos.insert(dispositivo);
    return r.Fin(e, kBien);
  });
}

std::int32_t CloseDevice(const char* dispositivo) {
  return Protegida([&](Estado& e) {
    Registro r(e, "MTMICRCloseDevice");
    r.Texto("device", dispositivo);
    if (dispositivo == nullptr) {
      return r.Fin(e, kArgumento);
    }
    const std::int32_t abierto = CompruebaAbierto(e, dispositivo);
    if (abierto != kBien) {
      return r.Fin(e, abierto);
    }
    e.abiertos.erase(dispositivo);
    return r.Fin(e, e.escenario.cierre);
  });
}

std::int32_t QueryInfo(const char* dispositivo, const char* elemento, char* buffer,
                       std::int32_t* tamano) {
  return Protegida([&](Estado& e) {
    Registro r(e, "MTMICRQueryInfo");
    r.Texto("device", dispositivo);
    r.Texto("item", elemento);
    r.Tamano(tamano);
    if (dispositivo == nullptr || elemento == nullptr || buffer == nullptr || tamano == nullptr) {
      return r.Fin(e, kArgumento);
    }
    const std::int32_t abierto = CompruebaAbierto(e, dispositivo);
    if (abierto != kBien) {
      return r.Fin(e, abierto);
    }
    if (!IgualSinMayusculas(elemento, "DeviceStatus")) {
      return r.Fin(e, kSinClave);
    }
    if (e.escenario.consulta != kBien) {
      return r.Fin(e, e.escenario.consulta);
    }
    const std::int32_t escrito = Escribe(buffer, tamano, e.escenario.estado);
    if (escrito == kBien) {
      r.Sale("reply", e.escenario.estado);
    }
    return r.Fin(e, escrito);
  });
}

std::int32_t SetValue(char* documento, const char* seccion, const char* elemento,
                      const std::int32_t* indice, const char* valor, std::int32_t* tamano) {
  return Protegida([&](Estado& e) {
    Registro r(e, indice == nullptr ? "MTMICRSetValue" : "MTMICRSetIndexValue");
    r.Texto("section", seccion);
    r.Texto("item", elemento);
    if (indice != nullptr) {
      r.Numero("index", *indice);
    }
    r.Texto("value", valor);
    r.Tamano(tamano);
    if (documento == nullptr || seccion == nullptr || elemento == nullptr || valor == nullptr ||
        tamano == nullptr || (indice != nullptr && *indice < 1)) {
      return r.Fin(e, kArgumento);
    }
    if (*tamano <= 0) {
      return r.Fin(e, kBufferPequeno);
    }
    Documento d = Documento::Lee(LeeTexto(documento, static_cast<std::size_t>(*tamano)));
    std::string clave = elemento;
    if (indice != nullptr) {
      clave += "." + std::to_string(*indice);
    }
    d.Pon(seccion, clave, valor);
    return r.Fin(e, Escribe(documento, tamano, d.Texto()));
  });
}

std::int32_t ProcessCheck(const char* dispositivo, const char* opciones, char* respuesta,
                          std::int32_t* tamano) {
  return Protegida([&](Estado& e) {
    Registro r(e, "MTMICRProcessCheck");
    r.Texto("device", dispositivo);
    r.Texto("options",
            opciones == nullptr ? nullptr : LeeTexto(opciones, kMaximoDocumento).c_str());
    r.Tamano(tamano);
    if (dispositivo == nullptr || opciones == nullptr || respuesta == nullptr ||
        tamano == nullptr) {
      return r.Fin(e, kArgumento);
    }
    const std::int32_t abierto = CompruebaAbierto(e, dispositivo);
    if (abierto != kBien) {
      // A status of its own, so no earlier result (with its DOCPRESENT)
      // stays in the caller's buffer.
      Escribe(respuesta, tamano,
              "[CommandStatus]\nres=" + std::to_string(abierto) + " Device not available\n");
      r.Sale("fed", "no");
      return r.Fin(e, abierto);
    }
    const std::size_t largo = LargoBandeja(e.escenario);
    Documento d;
    if (e.salida_atascada || e.entrada_atascada) {
      // The paper path must be cleared before the next document is fed.
      d.Pon("CommandStatus", "res", "9 Paper path blocked");
      d.Pon("CommandStatus", "Error", "<CODE>204</CODE> Document jammed");
      if (e.siguiente < largo) {
        d.Pon("CommandStatus", "DocPresent", "DOCPRESENT");
      }
      const std::int32_t escrito = Escribe(respuesta, tamano, d.Texto());
      r.Sale("fed", "no");
      return r.Fin(e, escrito == kBien ? kAtascada : escrito);
    }
    if (e.siguiente >= largo) {
      d.Pon("CommandStatus", "res", "7 No document in the feeder");
      const std::int32_t escrito = Escribe(respuesta, tamano, d.Texto());
      r.Sale("fed", "no");
      return r.Fin(e, escrito == kBien ? kBandejaVacia : escrito);
    }
    const DocumentoBandeja& documento = DocumentoEn(e.escenario, e.siguiente);
    const bool quedan_mas = documento.marca_mas.value_or(e.siguiente + 1 < largo);
    const std::string posicion = std::to_string(e.siguiente + 1);
    // A capture that fails before moving the paper leaves the document in
    // the tray; the next capture feeds it and succeeds.
    const bool reintento = !documento.alimenta && e.sin_alimentar == e.siguiente + 1;
    const std::int32_t resultado_captura = reintento ? kBien : documento.resultado;
    if (resultado_captura != kBien && !documento.alimenta) {
      e.sin_alimentar = e.siguiente + 1;
      d.Pon("CommandStatus", "res", std::to_string(documento.resultado) + " Document not fed");
      d.Pon("CommandStatus", "DocPresent", "DOCPRESENT");
      const std::int32_t escrito = Escribe(respuesta, tamano, d.Texto());
      r.Sale("fed", "no");
      r.Sale("document", posicion);
      return r.Fin(e, escrito == kBien ? documento.resultado : escrito);
    }
    const int retardo = documento.retardo_ms.value_or(e.escenario.retardo_ms);
    if (retardo > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(retardo));
    }
    const std::uint32_t secuencia = e.secuencia + 1;
    std::array<ImagenCapturada, 3> imagenes;
    d.Pon("CommandStatus", "res", documento.res);
    if (documento.atasco) {
      d.Pon("CommandStatus", "Error", "<CODE>204</CODE> Document jammed");
    }
    if (quedan_mas) {
      d.Pon("CommandStatus", "DocPresent", "DOCPRESENT");
    }
    d.Pon("DocInfo", "DocNumber", std::to_string(secuencia));
    d.Pon("DocInfo", "MICRRaw", documento.micr);
    int numero = 0;
    for (std::size_t k = 0; k < 3; ++k) {
      const ImagenEscenario& origen = documento.imagenes[k];
      ImagenCapturada& imagen = imagenes[k];
      if (origen.origen == ImagenEscenario::Origen::kArchivo) {
        std::string bytes;
        imagen.existe = LeeArchivo(origen.ruta, bytes);
        imagen.bytes.assign(bytes.begin(), bytes.end());
      } else if (origen.origen == ImagenEscenario::Origen::kGenerada) {
        imagen.existe = true;
        imagen.bytes = BytesGenerados(origen.tamano, secuencia * 3 + static_cast<unsigned>(k));
      }
      if (!imagen.existe) {
        continue;
      }
      ++numero;
      imagen.descarga = origen.descarga;
      imagen.entrega_corta = origen.entrega_corta;
      imagen.url = "mtxsim:" + std::to_string(secuencia) + ":" + std::to_string(k + 1);
      const std::string indice = "." + std::to_string(k + 1);
      d.Pon("ImageInfo", "ImageSize" + indice,
            origen.texto_tamano.value_or(std::to_string(imagen.bytes.size())));
      d.Pon("ImageInfo", "ImageURL" + indice, imagen.url);
    }
    d.Pon("ImageInfo", "Number", std::to_string(numero));
    const std::int32_t escrito = Escribe(respuesta, tamano, d.Texto());
    if (escrito != kBien) {
      // Not fed: the document stays in the tray.
      r.Sale("fed", "no");
      return r.Fin(e, escrito);
    }
    e.secuencia = secuencia;
    e.imagenes = std::move(imagenes);
    e.lecturas_fallidas = documento.lecturas_fallidas;
    e.retardo_descarga_ms = documento.retardo_descarga_ms.value_or(e.escenario.retardo_descarga_ms);
    ++e.siguiente;
    if (e.escenario.rellena && e.siguiente >= largo) {
      // The last document fed: the next read finds the tray full again.
      e.siguiente = 0;
    }
    e.salida_atascada = e.entrada_atascada = documento.atasco;
    e.limpiezas_pendientes = documento.atasco ? documento.limpiezas_atasco : 0;
    r.Sale("fed", "yes");
    r.Sale("document", posicion);
    r.Sale("capture", std::to_string(secuencia));
    r.Sale("micr", documento.micr);
    r.Sale("docpresent", quedan_mas ? "yes" : "no");
    if (documento.atasco) {
      r.Sale("jam", "yes");
    }
    const std::int32_t resultado = r.Fin(e, resultado_captura);
    ++e.alimentados;
    for (const Suceso& suceso : e.escenario.sucesos) {
      if (suceso.tras == e.alimentados) {
        Dispara(e, suceso);
      }
    }
    return resultado;
  });
}

std::int32_t GetValue(const char* documento, const char* seccion, const char* clave,
                      const std::int32_t* indice, char* valor, std::int32_t* tamano) {
  return Protegida([&](Estado& e) {
    Registro r(e, indice == nullptr ? "MTMICRGetValue" : "MTMICRGetIndexValue");
    r.Texto("section", seccion);
    r.Texto("key", clave);
    if (indice != nullptr) {
      r.Numero("index", *indice);
    }
    r.Tamano(tamano);
    r.Clave(clave);
    if (documento == nullptr || seccion == nullptr || clave == nullptr || valor == nullptr ||
        tamano == nullptr) {
      return r.Fin(e, kArgumento);
    }
    if (*tamano <= 0) {
      return r.Fin(e, kBufferPequeno);
    }
    const Documento d = Documento::Lee(LeeTexto(documento, kMaximoDocumento));
    const auto fallida = e.lecturas_fallidas.find(Minusculas(clave));
    if (fallida != e.lecturas_fallidas.end() &&
        d.ValorO("DocInfo", "DocNumber", "") == std::to_string(e.secuencia)) {
      // The last captured document's read of this key is to fail.
      return r.Fin(e, fallida->second);
    }
    std::string nombre = clave;
    if (indice != nullptr) {
      nombre += "." + std::to_string(*indice);
    }
    const auto encontrado = d.Valor(seccion, nombre);
    if (!encontrado) {
      return r.Fin(e, kSinClave);
    }
    const std::int32_t escrito = Escribe(valor, tamano, *encontrado);
    if (escrito == kBien) {
      r.Sale("value", *encontrado);
    }
    return r.Fin(e, escrito);
  });
}

std::int32_t GetImage(const char* dispositivo, const char* imagen, unsigned char* bytes,
                      std::int32_t* tamano) {
  return Protegida([&](Estado& e) {
    Registro r(e, "MTMICRGetImage");
    r.Texto("device", dispositivo);
    r.Texto("image", imagen);
    r.Tamano(tamano);
    if (dispositivo == nullptr || imagen == nullptr || tamano == nullptr) {
      return r.Fin(e, kArgumento);
    }
    const std::int32_t abierto = CompruebaAbierto(e, dispositivo);
    if (abierto != kBien) {
      return r.Fin(e, abierto);
    }
    const ImagenCapturada* elegida = nullptr;
    for (const ImagenCapturada& candidata : e.imagenes) {
      if (candidata.existe && candidata.url == imagen) {
        elegida = &candidata;
      }
    }
    if (elegida == nullptr) {
      return r.Fin(e, kSinImagen);
    }
    if (elegida->descarga != kBien) {
      return r.Fin(e, elegida->descarga);
    }
    if (e.retardo_descarga_ms > 0) {
      std::this_thread::sleep_for(std::chrono::milliseconds(e.retardo_descarga_ms));
    }
    const std::size_t necesario = elegida->bytes.size();
    if (*tamano < 0 || static_cast<std::size_t>(*tamano) < necesario) {
      *tamano = static_cast<std::int32_t>(necesario);
      return r.Fin(e, kBufferPequeno);
    }
    if (bytes == nullptr && necesario > 0) {
      return r.Fin(e, kArgumento);
    }
    // A short transfer hands back fewer bytes and still succeeds.
    std::size_t entregados = necesario;
    if (elegida->entrega_corta && *elegida->entrega_corta >= 0) {
      entregados = std::min(necesario, static_cast<std::size_t>(*elegida->entrega_corta));
    }
    if (entregados > 0) {
      std::memcpy(bytes, elegida->bytes.data(), entregados);
    }
    *tamano = static_cast<std::int32_t>(entregados);
    // The fingerprint covers what the size going out says was handed back.
    const auto falso = r.TamanoDevuelto(e.escenario);
    const std::size_t contados =
        falso && *falso >= 0 ? std::min(entregados, static_cast<std::size_t>(*falso)) : entregados;
    r.Sale("bytes", Huella(elegida->bytes.data(), contados));
    return r.Fin(e, kBien);
  });
}

std::int32_t SendCommand(const char* dispositivo, const char* orden, char* respuesta,
                         std::int32_t* tamano) {
  return Protegida([&](Estado& e) {
    Registro r(e, "MTMICRSendCommand");
    r.Texto("device", dispositivo);
    r.Texto("command", orden);
    r.Tamano(tamano);
    if (dispositivo == nullptr || orden == nullptr || respuesta == nullptr || tamano == nullptr) {
      return r.Fin(e, kArgumento);
    }
    const std::int32_t abierto = CompruebaAbierto(e, dispositivo);
    if (abierto != kBien) {
      return r.Fin(e, abierto);
    }
    if (e.escenario.orden != kBien) {
      return r.Fin(e, e.escenario.orden);
    }
    if (IgualSinMayusculas(orden, "ClearPathExit")) {
      e.salida_atascada = false;
    } else if (IgualSinMayusculas(orden, "ClearPathEntry")) {
      e.entrada_atascada = false;
    } else {
      return r.Fin(e, kSinClave);
    }
    if (!e.salida_atascada && !e.entrada_atascada && e.limpiezas_pendientes > 1) {
      // A jam that needs more clearings blocks the path again.
      --e.limpiezas_pendientes;
      e.salida_atascada = e.entrada_atascada = true;
    }
    return r.Fin(e, Escribe(respuesta, tamano, e.escenario.respuesta_orden));
  });
}

}  // namespace mtxsim
