#include "support/lectora_falsa.h"

#include <algorithm>

namespace vardel::prueba {

namespace {

std::string Buffer(const std::string& texto) {
  return "[" + std::to_string(texto.size()) + "]";
}

}  // namespace

std::vector<std::string> LectoraFalsa::Llamadas() const {
  return resumen_;
}

std::vector<std::string> LectoraFalsa::Nombres() const {
  std::vector<std::string> nombres;
  for (const Llamada& llamada : registro_) {
    nombres.push_back(llamada.funcion);
  }
  return nombres;
}

int LectoraFalsa::Cuenta(const std::string& funcion) const {
  return static_cast<int>(std::count_if(registro_.begin(), registro_.end(),
                                        [&](const Llamada& l) { return l.funcion == funcion; }));
}

void LectoraFalsa::Anota(const std::string& funcion, std::vector<std::string> argumentos,
                         std::vector<std::string> resumen) {
  std::string texto = funcion + "(";
  for (std::size_t i = 0; i < resumen.size(); ++i) {
    texto += (i == 0 ? "" : ", ") + resumen[i];
  }
  resumen_.push_back(texto + ")");
  registro_.push_back(Llamada{funcion, std::move(argumentos)});
}

void LectoraFalsa::ListaDispositivos(std::vector<std::string> nombres) {
  al_get_device = [nombres = std::move(nombres)](std::int32_t indice, std::string& nombre) {
    if (indice < 1 || static_cast<std::size_t>(indice) > nombres.size()) {
      return std::int32_t{1};
    }
    EscribeEnBuffer(nombre, nombres[static_cast<std::size_t>(indice) - 1]);
    return std::int32_t{0};
  };
}

void LectoraFalsa::RespuestaEstado(std::string respuesta) {
  al_query_info = [respuesta = std::move(respuesta)](const std::string&, const std::string&,
                                                     std::string& buffer, std::int32_t&) {
    EscribeEnBuffer(buffer, respuesta);
    return std::int32_t{0};
  };
}

void LectoraFalsa::EscribeEnBuffer(std::string& buffer, const std::string& texto) {
  if (buffer.empty()) {
    return;
  }
  const std::size_t cabe = std::min(texto.size(), buffer.size() - 1);
  buffer.replace(0, cabe, texto, 0, cabe);
  buffer[cabe] = '\0';
}

std::int32_t LectoraFalsa::MTMICRGetDevice(std::int32_t indice, std::string& nombre) {
  Anota("MTMICRGetDevice", {std::to_string(indice), nombre},
        {std::to_string(indice), Buffer(nombre)});
  return al_get_device ? al_get_device(indice, nombre) : 1;
}

std::int32_t LectoraFalsa::MTMICROpenDevice(const std::string& dispositivo) {
  Anota("MTMICROpenDevice", {dispositivo}, {dispositivo});
  return al_open_device ? al_open_device(dispositivo) : 0;
}

std::int32_t LectoraFalsa::MTMICRCloseDevice(const std::string& dispositivo) {
  Anota("MTMICRCloseDevice", {dispositivo}, {dispositivo});
  return al_close_device ? al_close_device(dispositivo) : 0;
}

std::int32_t LectoraFalsa::MTMICRQueryInfo(const std::string& dispositivo,
                                           const std::string& elemento, std::string& buffer,
                                           std::int32_t& longitud) {
  Anota("MTMICRQueryInfo", {dispositivo, elemento, buffer, std::to_string(longitud)},
        {dispositivo, elemento, Buffer(buffer), std::to_string(longitud)});
  return al_query_info ? al_query_info(dispositivo, elemento, buffer, longitud) : 0;
}

std::int32_t LectoraFalsa::MTMICRSetValue(std::string& documento, const std::string& seccion,
                                          const std::string& elemento, const std::string& valor,
                                          std::int32_t& longitud) {
  Anota("MTMICRSetValue", {documento, seccion, elemento, valor, std::to_string(longitud)},
        {Buffer(documento), seccion, elemento, valor, std::to_string(longitud)});
  return al_set_value ? al_set_value(documento, seccion, elemento, valor, longitud) : 0;
}

std::int32_t LectoraFalsa::MTMICRSetIndexValue(std::string& documento, const std::string& seccion,
                                               const std::string& elemento, std::int32_t indice,
                                               const std::string& valor, std::int32_t& longitud) {
  Anota("MTMICRSetIndexValue",
        {documento, seccion, elemento, std::to_string(indice), valor, std::to_string(longitud)},
        {Buffer(documento), seccion, elemento, std::to_string(indice), valor,
         std::to_string(longitud)});
  return al_set_index_value
             ? al_set_index_value(documento, seccion, elemento, indice, valor, longitud)
             : 0;
}

std::int32_t LectoraFalsa::MTMICRProcessCheck(const std::string& dispositivo,
                                              const std::string& opciones, std::string& respuesta,
                                              std::int32_t& longitud) {
  Anota("MTMICRProcessCheck", {dispositivo, opciones, respuesta, std::to_string(longitud)},
        {dispositivo, Buffer(opciones), Buffer(respuesta), std::to_string(longitud)});
  return al_process_check ? al_process_check(dispositivo, opciones, respuesta, longitud) : 0;
}

std::int32_t LectoraFalsa::MTMICRGetValue(const std::string& documento, const std::string& seccion,
                                          const std::string& clave, std::string& valor,
                                          std::int32_t& longitud) {
  Anota("MTMICRGetValue", {documento, seccion, clave, valor, std::to_string(longitud)},
        {Buffer(documento), seccion, clave, Buffer(valor), std::to_string(longitud)});
  return al_get_value ? al_get_value(documento, seccion, clave, valor, longitud) : 0;
}

std::int32_t LectoraFalsa::MTMICRGetIndexValue(const std::string& documento,
                                               const std::string& seccion, const std::string& clave,
                                               std::int32_t indice, std::string& valor,
                                               std::int32_t& longitud) {
  Anota("MTMICRGetIndexValue",
        {documento, seccion, clave, std::to_string(indice), valor, std::to_string(longitud)},
        {Buffer(documento), seccion, clave, std::to_string(indice), Buffer(valor),
         std::to_string(longitud)});
  return al_get_index_value ? al_get_index_value(documento, seccion, clave, indice, valor, longitud)
                            : 0;
}

std::int32_t LectoraFalsa::MTMICRGetImage(const std::string& dispositivo, const std::string& imagen,
                                          std::vector<std::uint8_t>& bytes,
                                          std::int32_t& longitud) {
  const std::string cuantos = "[" + std::to_string(bytes.size()) + "]";
  Anota("MTMICRGetImage", {dispositivo, imagen, cuantos, std::to_string(longitud)},
        {dispositivo, imagen, cuantos, std::to_string(longitud)});
  return al_get_image ? al_get_image(dispositivo, imagen, bytes, longitud) : 0;
}

std::int32_t LectoraFalsa::MTMICRSendCommand(const std::string& dispositivo,
                                             const std::string& comando, std::string& respuesta,
                                             std::int32_t& longitud) {
  Anota("MTMICRSendCommand", {dispositivo, comando, respuesta, std::to_string(longitud)},
        {dispositivo, comando, Buffer(respuesta), std::to_string(longitud)});
  return al_send_command ? al_send_command(dispositivo, comando, respuesta, longitud) : 0;
}

SustitucionLectora::SustitucionLectora(device::Lectora& lectora) {
  device::SustituyeLectora(&lectora);
}

SustitucionLectora::~SustitucionLectora() {
  device::SustituyeLectora(nullptr);
}

}  // namespace vardel::prueba
