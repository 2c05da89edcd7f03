#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vardel::device {

// The eleven functions of the reader library, as the component calls them.
// Texts are UTF-8 strings; a buffer argument's length is its capacity, and
// on return it holds what the library wrote, at full length (callers cut it
// at the first NUL). Sizes are the library's 32-bit in/out sizes. Results
// are the library's: 0 success, anything else an error number.
//
// The loaded library is one implementation; unit tests put a recording fake
// in its place with SustituyeLectora.
class Lectora {
 public:
  virtual ~Lectora() = default;

  // Makes sure every function a read calls can be reached before the first
  // document is fed; raises the error of the first that cannot (48 no
  // library, 453 no function). Calls none of them.
  virtual void CompruebaFunciones() {}

  virtual std::int32_t MTMICRGetDevice(std::int32_t indice, std::string& nombre) = 0;
  virtual std::int32_t MTMICROpenDevice(const std::string& dispositivo) = 0;
  virtual std::int32_t MTMICRCloseDevice(const std::string& dispositivo) = 0;
  virtual std::int32_t MTMICRQueryInfo(const std::string& dispositivo, const std::string& elemento,
                                       std::string& buffer, std::int32_t& longitud) = 0;
  virtual std::int32_t MTMICRSetValue(std::string& documento, const std::string& seccion,
                                      const std::string& elemento, const std::string& valor,
                                      std::int32_t& longitud) = 0;
  virtual std::int32_t MTMICRSetIndexValue(std::string& documento, const std::string& seccion,
                                           const std::string& elemento, std::int32_t indice,
                                           const std::string& valor, std::int32_t& longitud) = 0;
  virtual std::int32_t MTMICRProcessCheck(const std::string& dispositivo,
                                          const std::string& opciones, std::string& respuesta,
                                          std::int32_t& longitud) = 0;
  virtual std::int32_t MTMICRGetValue(const std::string& documento, const std::string& seccion,
                                      const std::string& clave, std::string& valor,
                                      std::int32_t& longitud) = 0;
  virtual std::int32_t MTMICRGetIndexValue(const std::string& documento, const std::string& seccion,
                                           const std::string& clave, std::int32_t indice,
                                           std::string& valor, std::int32_t& longitud) = 0;
  virtual std::int32_t MTMICRGetImage(const std::string& dispositivo, const std::string& imagen,
                                      std::vector<std::uint8_t>& bytes, std::int32_t& longitud) = 0;
  virtual std::int32_t MTMICRSendCommand(const std::string& dispositivo, const std::string& comando,
                                         std::string& respuesta, std::int32_t& longitud) = 0;
};

// The reader in force on this thread: the loaded library unless replaced.
Lectora& LectoraActual();

// Puts another reader in force on this thread; nullptr restores the loaded
// library.
void SustituyeLectora(Lectora* sustituta);

}  // namespace vardel::device
