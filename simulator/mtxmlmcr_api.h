#pragma once

// The eleven functions of the reader library, as this simulator exports
// them. The component's binding declares the same prototypes on its own
// side (src/device/mtxmlmcr.h). The duplication is deliberate: the
// simulator stands in for a library that is not the component's and must
// not include or link any of its code. A change here must be made there too.

#include <cstdint>

#if defined(_WIN32)
#define MTXSIM_LLAMADA __stdcall
#define MTXSIM_EXPORTA
#else
#define MTXSIM_LLAMADA
#define MTXSIM_EXPORTA __attribute__((visibility("default")))
#endif

extern "C" {
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICRGetDevice(std::int32_t index, char* name);
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICROpenDevice(const char* device);
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICRCloseDevice(const char* device);
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICRQueryInfo(const char* device, const char* item,
                                                           char* buffer, std::int32_t* size);
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICRSetValue(char* document, const char* section,
                                                          const char* item, const char* value,
                                                          std::int32_t* size);
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICRSetIndexValue(char* document, const char* section,
                                                               const char* item, std::int32_t index,
                                                               const char* value,
                                                               std::int32_t* size);
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICRProcessCheck(const char* device,
                                                              const char* options, char* result,
                                                              std::int32_t* size);
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICRGetValue(const char* document, const char* section,
                                                          const char* key, char* value,
                                                          std::int32_t* size);
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICRGetIndexValue(const char* document,
                                                               const char* section, const char* key,
                                                               std::int32_t index, char* value,
                                                               std::int32_t* size);
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICRGetImage(const char* device,
                                                          const char* image_name,
                                                          unsigned char* image, std::int32_t* size);
MTXSIM_EXPORTA std::int32_t MTXSIM_LLAMADA MTMICRSendCommand(const char* device,
                                                             const char* command, char* response,
                                                             std::int32_t* size);
}
