#include "device/lectora_biblioteca.h"

#include <algorithm>
#include <limits>
#include <string_view>

#include "device/buffer_lectora.h"
#include "device/mtxmlmcr.h"
#include "platform/ansi.h"
#include "platform/componente.h"
#include "vardel/error.h"

namespace vardel::device {

namespace {

// The exported names, and the bytes of arguments each takes: a 32-bit
// Windows library exported without a definition file carries stdcall
// decorations built from that count (Name@N, or _Name@N).
struct Exportada {
  const char* nombre;
  int bytes_argumentos;
};

constexpr Exportada kExportadas[LectoraBiblioteca::kNumeroFunciones] = {
    {"MTMICRGetDevice", 8},     {"MTMICROpenDevice", 4},   {"MTMICRCloseDevice", 4},
    {"MTMICRQueryInfo", 16},    {"MTMICRSetValue", 20},    {"MTMICRSetIndexValue", 24},
    {"MTMICRProcessCheck", 16}, {"MTMICRGetValue", 20},    {"MTMICRGetIndexValue", 24},
    {"MTMICRGetImage", 16},     {"MTMICRSendCommand", 16},
};

// The device-name buffer the library expects: it writes a name into it
// without being told a size.
constexpr std::size_t kNombreDispositivo = 200;

std::vector<std::string> NombresExportados(const Exportada& exportada) {
  std::vector<std::string> nombres{exportada.nombre};
#if defined(_WIN32) && !defined(_WIN64)
  const std::string sufijo = "@" + std::to_string(exportada.bytes_argumentos);
  nombres.push_back(std::string(exportada.nombre) + sufijo);
  nombres.push_back("_" + std::string(exportada.nombre) + sufijo);
#endif
  return nombres;
}

// One text argument the library only reads. The library reads it up to
// its first NUL, so only that part is converted: a result document is a
// 4096-byte buffer of mostly NULs, passed to every value read.
class Entrada {
 public:
  explicit Entrada(const std::string& utf8)
      : ansi_(platform::APaginaLectora(std::string_view(utf8).substr(0, utf8.find('\0')))) {}
  const char* c_str() const { return ansi_.c_str(); }

 private:
  std::string ansi_;
};

// A caller's text buffer with its in/out size, for one call: the library
// gets the binding's own buffer and a size no larger than it; afterwards
// the caller gets the whole buffer back and the size the library handed
// back, bounded by the capacity.
class Salida {
 public:
  Salida(std::string& texto, std::int32_t& longitud)
      : texto_(texto),
        longitud_(longitud),
        buffer_(texto),
        tamano_(AcotaTamano(longitud, buffer_.Capacidad())) {}
  ~Salida() {
    texto_ = buffer_.Utf8();
    longitud_ = AcotaTamano(tamano_, buffer_.Capacidad());
  }
  Salida(const Salida&) = delete;
  Salida& operator=(const Salida&) = delete;

  char* Datos() { return buffer_.Datos(); }
  std::int32_t* Tamano() { return &tamano_; }

 private:
  std::string& texto_;
  std::int32_t& longitud_;
  BufferTexto buffer_;
  std::int32_t tamano_;
};

}  // namespace

std::vector<std::string> CandidatosLectora() {
  std::vector<std::string> candidatos;
  const std::string directorio = platform::DirectorioComponente();
  if (!directorio.empty()) {
    candidatos.push_back(directorio + platform::kSeparador + kArchivoLectora);
  }
  candidatos.emplace_back(kArchivoLectora);
  return candidatos;
}

LectoraBiblioteca::LectoraBiblioteca()
    : biblioteca_(std::function<std::vector<std::string>()>(CandidatosLectora)) {}

LectoraBiblioteca::LectoraBiblioteca(std::vector<std::string> candidatos)
    : biblioteca_(std::move(candidatos)) {}

void* LectoraBiblioteca::Resuelve(Funcion funcion) {
  void* direccion = funciones_[funcion].load(std::memory_order_acquire);
  if (direccion != nullptr) {
    return direccion;
  }
  const std::vector<std::string> nombres = NombresExportados(kExportadas[funcion]);
  for (std::size_t i = 0; i < nombres.size(); ++i) {
    try {
      direccion = biblioteca_.Funcion(nombres[i].c_str());
      break;
    } catch (const ErrorEjecucion& error) {
      // Only a missing name leads to the next spelling; a library that
      // cannot be loaded is reported at once.
      if (error.Numero() != errores::kPuntoEntradaNoEncontrado || i + 1 == nombres.size()) {
        throw;
      }
    }
  }
  funciones_[funcion].store(direccion, std::memory_order_release);
  return direccion;
}

void LectoraBiblioteca::CompruebaFunciones() {
  for (std::size_t funcion = kOpenDevice; funcion < kNumeroFunciones; ++funcion) {
    Resuelve(static_cast<Funcion>(funcion));
  }
}

std::int32_t LectoraBiblioteca::MTMICRGetDevice(std::int32_t indice, std::string& nombre) {
  auto llamada = Obtiene<mtx::MTMICRGetDevice>(kGetDevice);
  // The library is told no size: the buffer always has the room it expects.
  BufferTexto buffer(nombre, kNombreDispositivo, ' ');
  const std::int32_t resultado = llamada(indice, buffer.Datos());
  nombre = buffer.Utf8();
  return resultado;
}

std::int32_t LectoraBiblioteca::MTMICROpenDevice(const std::string& dispositivo) {
  auto llamada = Obtiene<mtx::MTMICROpenDevice>(kOpenDevice);
  const Entrada nombre(dispositivo);
  return llamada(nombre.c_str());
}

std::int32_t LectoraBiblioteca::MTMICRCloseDevice(const std::string& dispositivo) {
  auto llamada = Obtiene<mtx::MTMICRCloseDevice>(kCloseDevice);
  const Entrada nombre(dispositivo);
  return llamada(nombre.c_str());
}

std::int32_t LectoraBiblioteca::MTMICRQueryInfo(const std::string& dispositivo,
                                                const std::string& elemento, std::string& buffer,
                                                std::int32_t& longitud) {
  auto llamada = Obtiene<mtx::MTMICRQueryInfo>(kQueryInfo);
  const Entrada nombre(dispositivo), item(elemento);
  Salida salida(buffer, longitud);
  return llamada(nombre.c_str(), item.c_str(), salida.Datos(), salida.Tamano());
}

std::int32_t LectoraBiblioteca::MTMICRSetValue(std::string& documento, const std::string& seccion,
                                               const std::string& elemento,
                                               const std::string& valor, std::int32_t& longitud) {
  auto llamada = Obtiene<mtx::MTMICRSetValue>(kSetValue);
  const Entrada sec(seccion), item(elemento), val(valor);
  Salida salida(documento, longitud);
  return llamada(salida.Datos(), sec.c_str(), item.c_str(), val.c_str(), salida.Tamano());
}

std::int32_t LectoraBiblioteca::MTMICRSetIndexValue(std::string& documento,
                                                    const std::string& seccion,
                                                    const std::string& elemento,
                                                    std::int32_t indice, const std::string& valor,
                                                    std::int32_t& longitud) {
  auto llamada = Obtiene<mtx::MTMICRSetIndexValue>(kSetIndexValue);
  const Entrada sec(seccion), item(elemento), val(valor);
  Salida salida(documento, longitud);
  return llamada(salida.Datos(), sec.c_str(), item.c_str(), indice, val.c_str(), salida.Tamano());
}

std::int32_t LectoraBiblioteca::MTMICRProcessCheck(const std::string& dispositivo,
                                                   const std::string& opciones,
                                                   std::string& respuesta, std::int32_t& longitud) {
  auto llamada = Obtiene<mtx::MTMICRProcessCheck>(kProcessCheck);
  const Entrada nombre(dispositivo), documento(opciones);
  Salida salida(respuesta, longitud);
  return llamada(nombre.c_str(), documento.c_str(), salida.Datos(), salida.Tamano());
}

std::int32_t LectoraBiblioteca::MTMICRGetValue(const std::string& documento,
                                               const std::string& seccion, const std::string& clave,
                                               std::string& valor, std::int32_t& longitud) {
  auto llamada = Obtiene<mtx::MTMICRGetValue>(kGetValue);
  const Entrada doc(documento), sec(seccion), key(clave);
  Salida salida(valor, longitud);
  return llamada(doc.c_str(), sec.c_str(), key.c_str(), salida.Datos(), salida.Tamano());
}

std::int32_t LectoraBiblioteca::MTMICRGetIndexValue(const std::string& documento,
                                                    const std::string& seccion,
                                                    const std::string& clave, std::int32_t indice,
                                                    std::string& valor, std::int32_t& longitud) {
  auto llamada = Obtiene<mtx::MTMICRGetIndexValue>(kGetIndexValue);
  const Entrada doc(documento), sec(seccion), key(clave);
  Salida salida(valor, longitud);
  return llamada(doc.c_str(), sec.c_str(), key.c_str(), indice, salida.Datos(), salida.Tamano());
}

std::int32_t LectoraBiblioteca::MTMICRGetImage(const std::string& dispositivo,
                                               const std::string& imagen,
                                               std::vector<std::uint8_t>& bytes,
                                               std::int32_t& longitud) {
  auto llamada = Obtiene<mtx::MTMICRGetImage>(kGetImage);
  const Entrada nombre(dispositivo), url(imagen);
  // Exactly the image's size: the library is told no more than that.
  const std::int32_t capacidad = AcotaTamano(static_cast<std::int64_t>(bytes.size()),
                                             std::numeric_limits<std::int32_t>::max());
  std::vector<unsigned char> buffer(bytes.begin(), bytes.begin() + capacidad);
  unsigned char vacio = 0;
  std::int32_t tamano = AcotaTamano(longitud, capacidad);
  const std::int32_t resultado =
      llamada(nombre.c_str(), url.c_str(), buffer.empty() ? &vacio : buffer.data(), &tamano);
  std::copy(buffer.begin(), buffer.end(), bytes.begin());
  longitud = AcotaTamano(tamano, capacidad);
  return resultado;
}

std::int32_t LectoraBiblioteca::MTMICRSendCommand(const std::string& dispositivo,
                                                  const std::string& comando,
                                                  std::string& respuesta, std::int32_t& longitud) {
  auto llamada = Obtiene<mtx::MTMICRSendCommand>(kSendCommand);
  const Entrada nombre(dispositivo), orden(comando);
  Salida salida(respuesta, longitud);
  return llamada(nombre.c_str(), orden.c_str(), salida.Datos(), salida.Tamano());
}

}  // namespace vardel::device
