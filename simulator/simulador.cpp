#include "simulador.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "documento.h"
#include "escenario.h"
#include "plataforma.h"

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
  std::uint32_t secuencia = 0;  // captures made, names the images
  std::array<ImagenCapturada, 3> imagenes;
};

// Never destroyed: a host may call in while the process is ending.
Estado& ElEstado() {
  static Estado* const estado = new Estado();
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
  if (!misma_ruta) {
    // Another scenario file is another reader: nothing of the last one stays.
    e.abiertos.clear();
    e.imagenes = {};
  }
  if (!misma_ruta || e.escenario.firma_bandeja != e.firma_bandeja) {
    e.firma_bandeja = e.escenario.firma_bandeja;
    e.siguiente = 0;
    e.salida_atascada = e.entrada_atascada = false;
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

// One line of the journal: the function, its arguments as name=value,
// "result=N", then what the call handed back; fields separated by tabs.
class Registro {
 public:
  explicit Registro(std::string funcion) : entradas_(std::move(funcion)) {}

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
      if (e.escenario.tamano_devuelto) {
        *tamano_ = *e.escenario.tamano_devuelto;
      }
      Anade(salidas_, "size", std::to_string(*tamano_));
    }
    if (!e.escenario.diario.empty()) {
      std::ofstream diario(e.escenario.diario, std::ios::binary | std::ios::app);
      diario << entradas_ << "\tresult=" << resultado << salidas_ << "\n";
    }
    return resultado;
  }

 private:
  static void Anade(std::string& linea, const char* nombre, const std::string& valor) {
    linea += '\t';
    linea += nombre;
    linea += '=';
    linea += valor;
  }

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
    Registro r("MTMICRGetDevice");
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
    Registro r("MTMICROpenDevice");
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
    Registro r("MTMICRCloseDevice");
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
    Registro r("MTMICRQueryInfo");
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
    Registro r(indice == nullptr ? "MTMICRSetValue" : "MTMICRSetIndexValue");
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
    Registro r("MTMICRProcessCheck");
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
      return r.Fin(e, abierto);
    }
    const std::size_t largo = LargoBandeja(e.escenario);
    const bool quedan_mas = e.siguiente + 1 < largo;
    Documento d;
    if (e.salida_atascada || e.entrada_atascada) {
      // The paper path must be cleared before the next document is fed.
      d.Pon("CommandStatus", "res", "9 Paper path blocked");
      d.Pon("CommandStatus", "Error", "<CODE>204</CODE> Document jammed");
      if (e.siguiente < largo) {
        d.Pon("CommandStatus", "DocPresent", "DOCPRESENT");
      }
      const std::int32_t escrito = Escribe(respuesta, tamano, d.Texto());
      return r.Fin(e, escrito == kBien ? kAtascada : escrito);
    }
    if (e.siguiente >= largo) {
      d.Pon("CommandStatus", "res", "7 No document in the feeder");
      const std::int32_t escrito = Escribe(respuesta, tamano, d.Texto());
      return r.Fin(e, escrito == kBien ? kBandejaVacia : escrito);
    }
    const DocumentoBandeja& documento = DocumentoEn(e.escenario, e.siguiente);
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
      imagen.url = "mtxsim:" + std::to_string(secuencia) + ":" + std::to_string(k + 1);
      const std::string indice = "." + std::to_string(k + 1);
      d.Pon("ImageInfo", "ImageSize" + indice, std::to_string(imagen.bytes.size()));
      d.Pon("ImageInfo", "ImageURL" + indice, imagen.url);
    }
    d.Pon("ImageInfo", "Number", std::to_string(numero));
    const std::int32_t escrito = Escribe(respuesta, tamano, d.Texto());
    if (escrito != kBien) {
      // Not fed: the document stays in the tray.
      return r.Fin(e, escrito);
    }
    e.secuencia = secuencia;
    e.imagenes = std::move(imagenes);
    ++e.siguiente;
    if (e.escenario.rellena && e.siguiente >= largo) {
      // The last document fed: the next read finds the tray full again.
      e.siguiente = 0;
    }
    e.salida_atascada = e.entrada_atascada = documento.atasco;
    r.Sale("micr", documento.micr);
    r.Sale("docpresent", quedan_mas ? "yes" : "no");
    return r.Fin(e, documento.resultado);
  });
}

std::int32_t GetValue(const char* documento, const char* seccion, const char* clave,
                      const std::int32_t* indice, char* valor, std::int32_t* tamano) {
  return Protegida([&](Estado& e) {
    Registro r(indice == nullptr ? "MTMICRGetValue" : "MTMICRGetIndexValue");
    r.Texto("section", seccion);
    r.Texto("key", clave);
    if (indice != nullptr) {
      r.Numero("index", *indice);
    }
    r.Tamano(tamano);
    if (documento == nullptr || seccion == nullptr || clave == nullptr || valor == nullptr ||
        tamano == nullptr) {
      return r.Fin(e, kArgumento);
    }
    if (*tamano <= 0) {
      return r.Fin(e, kBufferPequeno);
    }
    const Documento d = Documento::Lee(LeeTexto(documento, kMaximoDocumento));
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
    Registro r("MTMICRGetImage");
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
    const std::size_t necesario = elegida->bytes.size();
    if (*tamano < 0 || static_cast<std::size_t>(*tamano) < necesario) {
      *tamano = static_cast<std::int32_t>(necesario);
      return r.Fin(e, kBufferPequeno);
    }
    if (bytes == nullptr && necesario > 0) {
      return r.Fin(e, kArgumento);
    }
    if (necesario > 0) {
      std::memcpy(bytes, elegida->bytes.data(), necesario);
    }
    *tamano = static_cast<std::int32_t>(necesario);
    return r.Fin(e, kBien);
  });
}

std::int32_t SendCommand(const char* dispositivo, const char* orden, char* respuesta,
                         std::int32_t* tamano) {
  return Protegida([&](Estado& e) {
    Registro r("MTMICRSendCommand");
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
    return r.Fin(e, Escribe(respuesta, tamano, e.escenario.respuesta_orden));
  });
}

}  // namespace mtxsim
