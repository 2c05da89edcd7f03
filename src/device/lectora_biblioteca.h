#pragma once

#include <array>
#include <atomic>
#include <string>
#include <vector>

#include "device/lectora.h"
#include "platform/biblioteca.h"

namespace vardel::device {

// The file name of the reader library on this platform.
#ifdef _WIN32
inline constexpr const char* kArchivoLectora = "mtxmlmcr.dll";
#else
inline constexpr const char* kArchivoLectora = "libmtxmlmcr.so";
#endif

// Where the reader library is looked for: the component's directory first,
// then the bare name through the platform's normal search.
std::vector<std::string> CandidatosLectora();

// The reader reached through the loaded library. The library is loaded at
// the first call and each function is resolved by name at its own first
// call; a library that cannot be loaded raises error 48 (and is tried again
// at the next call), a missing function 453.
//
// Every buffer passed to the library is the binding's own: the library is
// never told a capacity larger than the buffer, and no size it hands back
// is believed beyond [0, capacity].
class LectoraBiblioteca final : public Lectora {
 public:
  // The standard search (CandidatosLectora), evaluated at each load attempt.
  LectoraBiblioteca();
  // An explicit list of candidates, for tests and tools.
  explicit LectoraBiblioteca(std::vector<std::string> candidatos);

  // Resolves every function but MTMICRGetDevice, which a read never calls.
  void CompruebaFunciones() override;

  std::int32_t MTMICRGetDevice(std::int32_t indice, std::string& nombre) override;
  std::int32_t MTMICROpenDevice(const std::string& dispositivo) override;
  std::int32_t MTMICRCloseDevice(const std::string& dispositivo) override;
  std::int32_t MTMICRQueryInfo(const std::string& dispositivo, const std::string& elemento,
                               std::string& buffer, std::int32_t& longitud) override;
  std::int32_t MTMICRSetValue(std::string& documento, const std::string& seccion,
                              const std::string& elemento, const std::string& valor,
                              std::int32_t& longitud) override;
  std::int32_t MTMICRSetIndexValue(std::string& documento, const std::string& seccion,
                                   const std::string& elemento, std::int32_t indice,
                                   const std::string& valor, std::int32_t& longitud) override;
  std::int32_t MTMICRProcessCheck(const std::string& dispositivo, const std::string& opciones,
                                  std::string& respuesta, std::int32_t& longitud) override;
  std::int32_t MTMICRGetValue(const std::string& documento, const std::string& seccion,
                              const std::string& clave, std::string& valor,
                              std::int32_t& longitud) override;
  std::int32_t MTMICRGetIndexValue(const std::string& documento, const std::string& seccion,
                                   const std::string& clave, std::int32_t indice,
                                   std::string& valor, std::int32_t& longitud) override;
  std::int32_t MTMICRGetImage(const std::string& dispositivo, const std::string& imagen,
                              std::vector<std::uint8_t>& bytes, std::int32_t& longitud) override;
  std::int32_t MTMICRSendCommand(const std::string& dispositivo, const std::string& comando,
                                 std::string& respuesta, std::int32_t& longitud) override;

  // The eleven functions, in the order of the table of names.
  enum Funcion : std::size_t {
    kGetDevice,
    kOpenDevice,
    kCloseDevice,
    kQueryInfo,
    kSetValue,
    kSetIndexValue,
    kProcessCheck,
    kGetValue,
    kGetIndexValue,
    kGetImage,
    kSendCommand,
    kNumeroFunciones
  };

 private:
  // The function's address, resolved once.
  void* Resuelve(Funcion funcion);
  template <typename Puntero>
  Puntero Obtiene(Funcion funcion) {
    return reinterpret_cast<Puntero>(Resuelve(funcion));
  }

  platform::BibliotecaDinamica biblioteca_;
  std::array<std::atomic<void*>, kNumeroFunciones> funciones_{};
};

}  // namespace vardel::device
