#pragma once

#include <cstdint>

// The simulated reader behind the exported functions. Every operation
// takes the raw arguments of its exported function, checks them, records
// the call in the journal and never lets an exception escape.
namespace mtxsim {

// Results of the simulator's own (the scenario supplies others).
namespace resultado {
inline constexpr std::int32_t kBien = 0;
inline constexpr std::int32_t kNoHayMas = 1;       // no device at that index
inline constexpr std::int32_t kNoEncontrado = -1;  // reader absent or device not listed
inline constexpr std::int32_t kNoAbierto = -2;
inline constexpr std::int32_t kBufferPequeno = -4;
inline constexpr std::int32_t kArgumento = -5;  // null pointer or bad index
inline constexpr std::int32_t kSinClave = -6;   // section, key, item or command unknown
inline constexpr std::int32_t kBandejaVacia = -7;
inline constexpr std::int32_t kSinImagen = -8;
inline constexpr std::int32_t kAtascada = -9;  // paper path not cleared after a jam
inline constexpr std::int32_t kInterno = -99;
}  // namespace resultado

std::int32_t GetDevice(std::int32_t indice, char* nombre);
std::int32_t OpenDevice(const char* dispositivo);
std::int32_t CloseDevice(const char* dispositivo);
std::int32_t QueryInfo(const char* dispositivo, const char* elemento, char* buffer,
                       std::int32_t* tamano);
std::int32_t SetValue(char* documento, const char* seccion, const char* elemento,
                      const std::int32_t* indice, const char* valor, std::int32_t* tamano);
std::int32_t ProcessCheck(const char* dispositivo, const char* opciones, char* respuesta,
                          std::int32_t* tamano);
std::int32_t GetValue(const char* documento, const char* seccion, const char* clave,
                      const std::int32_t* indice, char* valor, std::int32_t* tamano);
std::int32_t GetImage(const char* dispositivo, const char* imagen, unsigned char* bytes,
                      std::int32_t* tamano);
std::int32_t SendCommand(const char* dispositivo, const char* orden, char* respuesta,
                         std::int32_t* tamano);

}  // namespace mtxsim
