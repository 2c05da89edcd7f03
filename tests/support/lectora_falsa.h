#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "device/lectora.h"
#include "vardel/error.h"

namespace vardel::prueba {

// A reader for unit tests: it records every call, in order, and answers as
// the test scripts it. Without a script, MTMICRGetDevice reports no device
// (1) and every other function succeeds (0) leaving buffers and sizes as
// they came.
//
//   LectoraFalsa falsa;
//   falsa.ListaDispositivos({"OTRA", "EXCELLA.EXC001"});
//   SustitucionLectora en_uso(falsa);
//   ... code under test ...
//   EXPECT_THAT(falsa.Nombres(), ElementsAre("MTMICRGetDevice", ...));
//   EXPECT_EQ(falsa.Llamadas()[3], "MTMICROpenDevice(EXCELLA.EXC001)");
class LectoraFalsa : public device::Lectora {
 public:
  // One recorded call: the function and its arguments as text. Text
  // arguments appear whole (documents too); sizes and indexes in decimal;
  // an image buffer as its byte count.
  struct Llamada {
    std::string funcion;
    std::vector<std::string> argumentos;
  };

  // The calls as "Function(arg, arg, ...)": plain texts as they are,
  // buffers (the texts the library may write into, and the documents passed
  // to it) as "[N]" with N their length, sizes and indexes in decimal.
  std::vector<std::string> Llamadas() const;
  // Just the function names, in order.
  std::vector<std::string> Nombres() const;
  // The calls with every argument whole.
  const std::vector<Llamada>& Registro() const { return registro_; }
  // How many calls of one function.
  int Cuenta(const std::string& funcion) const;
  void Olvida() {
    registro_.clear();
    resumen_.clear();
  }

  // A library that lacks a function: the check a read makes before feeding
  // raises 453, as the real binding does.
  bool faltaUnaFuncion = false;
  void CompruebaFunciones() override {
    if (faltaUnaFuncion) {
      throw ErrorEjecucion(errores::kPuntoEntradaNoEncontrado);
    }
  }

  // Scripts. Each, when set, gives the answer of its function; the call is
  // recorded before it runs.
  std::function<std::int32_t(std::int32_t indice, std::string& nombre)> al_get_device;
  std::function<std::int32_t(const std::string& dispositivo)> al_open_device;
  std::function<std::int32_t(const std::string& dispositivo)> al_close_device;
  std::function<std::int32_t(const std::string& dispositivo, const std::string& elemento,
                             std::string& buffer, std::int32_t& longitud)>
      al_query_info;
  std::function<std::int32_t(std::string& documento, const std::string& seccion,
                             const std::string& elemento, const std::string& valor,
                             std::int32_t& longitud)>
      al_set_value;
  std::function<std::int32_t(std::string& documento, const std::string& seccion,
                             const std::string& elemento, std::int32_t indice,
                             const std::string& valor, std::int32_t& longitud)>
      al_set_index_value;
  std::function<std::int32_t(const std::string& dispositivo, const std::string& opciones,
                             std::string& respuesta, std::int32_t& longitud)>
      al_process_check;
  std::function<std::int32_t(const std::string& documento, const std::string& seccion,
                             const std::string& clave, std::string& valor, std::int32_t& longitud)>
      al_get_value;
  std::function<std::int32_t(const std::string& documento, const std::string& seccion,
                             const std::string& clave, std::int32_t indice, std::string& valor,
                             std::int32_t& longitud)>
      al_get_index_value;
  std::function<std::int32_t(const std::string& dispositivo, const std::string& imagen,
                             std::vector<std::uint8_t>& bytes, std::int32_t& longitud)>
      al_get_image;
  std::function<std::int32_t(const std::string& dispositivo, const std::string& comando,
                             std::string& respuesta, std::int32_t& longitud)>
      al_send_command;

  // Common scripts.
  // MTMICRGetDevice lists these names (0 for indexes 1..n, 1 after them),
  // each written at the buffer's start and ended with a NUL.
  void ListaDispositivos(std::vector<std::string> nombres);
  // MTMICRQueryInfo answers this reply.
  void RespuestaEstado(std::string respuesta);
  // Writes a text and its NUL over the start of a buffer, as a library
  // does, keeping the buffer's length (the text is cut to fit).
  static void EscribeEnBuffer(std::string& buffer, const std::string& texto);

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

 private:
  // Records one call: each argument whole, and its summary form.
  void Anota(const std::string& funcion, std::vector<std::string> argumentos,
             std::vector<std::string> resumen);

  std::vector<Llamada> registro_;
  std::vector<std::string> resumen_;
};

// Puts a reader in force on this thread for the object's lifetime (the
// loaded library again afterwards).
class SustitucionLectora {
 public:
  explicit SustitucionLectora(device::Lectora& lectora);
  ~SustitucionLectora();
  SustitucionLectora(const SustitucionLectora&) = delete;
  SustitucionLectora& operator=(const SustitucionLectora&) = delete;
};

}  // namespace vardel::prueba
