#pragma once

// The C interface of the reader library mtxmlmcr, as the binding calls it:
// signed 32-bit results (0 success), 8-bit NUL-terminated text buffers,
// 32-bit sizes by pointer, indexes by value.
//
// The reader simulator (simulator/) declares the same functions on its own
// side. The duplication is deliberate: the simulator stands in for a library
// that is not ours and must build without any of the component's code, so
// neither side includes the other. A change here must be made there too.

#include <cstdint>

#if defined(_WIN32)
#define VARDEL_MTX_LLAMADA __stdcall
#else
#define VARDEL_MTX_LLAMADA
#endif

namespace vardel::device::mtx {

extern "C" {
using MTMICRGetDevice = std::int32_t(VARDEL_MTX_LLAMADA*)(std::int32_t indice, char* nombre);
using MTMICROpenDevice = std::int32_t(VARDEL_MTX_LLAMADA*)(const char* dispositivo);
using MTMICRCloseDevice = std::int32_t(VARDEL_MTX_LLAMADA*)(const char* dispositivo);
using MTMICRQueryInfo = std::int32_t(VARDEL_MTX_LLAMADA*)(const char* dispositivo,
                                                          const char* elemento, char* buffer,
                                                          std::int32_t* tamano);
using MTMICRSetValue = std::int32_t(VARDEL_MTX_LLAMADA*)(char* documento, const char* seccion,
                                                         const char* elemento, const char* valor,
                                                         std::int32_t* tamano);
using MTMICRSetIndexValue = std::int32_t(VARDEL_MTX_LLAMADA*)(char* documento, const char* seccion,
                                                              const char* elemento,
                                                              std::int32_t indice,
                                                              const char* valor,
                                                              std::int32_t* tamano);
using MTMICRProcessCheck = std::int32_t(VARDEL_MTX_LLAMADA*)(const char* dispositivo,
                                                             const char* opciones, char* respuesta,
                                                             std::int32_t* tamano);
using MTMICRGetValue = std::int32_t(VARDEL_MTX_LLAMADA*)(const char* documento, const char* seccion,
                                                         const char* clave, char* valor,
                                                         std::int32_t* tamano);
using MTMICRGetIndexValue = std::int32_t(VARDEL_MTX_LLAMADA*)(const char* documento,
                                                              const char* seccion,
                                                              const char* clave,
                                                              std::int32_t indice, char* valor,
                                                              std::int32_t* tamano);
using MTMICRGetImage = std::int32_t(VARDEL_MTX_LLAMADA*)(const char* dispositivo,
                                                         const char* imagen, unsigned char* bytes,
                                                         std::int32_t* tamano);
using MTMICRSendCommand = std::int32_t(VARDEL_MTX_LLAMADA*)(const char* dispositivo,
                                                            const char* comando, char* respuesta,
                                                            std::int32_t* tamano);
}

}  // namespace vardel::device::mtx
