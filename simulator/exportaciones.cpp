#include "mtxmlmcr_api.h"
#include "simulador.h"

// The exported entry points: thin forwards to the simulated reader. A
// variant of the library built with MTXSIM_SIN_<function> lacks that one
// function, as an incomplete or older reader library would.
extern "C" {

#ifndef MTXSIM_SIN_MTMICRGetDevice
std::int32_t MTXSIM_LLAMADA MTMICRGetDevice(std::int32_t index, char* name) {
  return mtxsim::GetDevice(index, name);
}
#endif

#ifndef MTXSIM_SIN_MTMICROpenDevice
std::int32_t MTXSIM_LLAMADA MTMICROpenDevice(const char* device) {
  return mtxsim::OpenDevice(device);
}
#endif

#ifndef MTXSIM_SIN_MTMICRCloseDevice
std::int32_t MTXSIM_LLAMADA MTMICRCloseDevice(const char* device) {
  return mtxsim::CloseDevice(device);
}
#endif

#ifndef MTXSIM_SIN_MTMICRQueryInfo
std::int32_t MTXSIM_LLAMADA MTMICRQueryInfo(const char* device, const char* item, char* buffer,
                                            std::int32_t* size) {
  return mtxsim::QueryInfo(device, item, buffer, size);
}
#endif

#ifndef MTXSIM_SIN_MTMICRSetValue
std::int32_t MTXSIM_LLAMADA MTMICRSetValue(char* document, const char* section, const char* item,
                                           const char* value, std::int32_t* size) {
  return mtxsim::SetValue(document, section, item, nullptr, value, size);
}
#endif

#ifndef MTXSIM_SIN_MTMICRSetIndexValue
std::int32_t MTXSIM_LLAMADA MTMICRSetIndexValue(char* document, const char* section,
                                                const char* item, std::int32_t index,
                                                const char* value, std::int32_t* size) {
  return mtxsim::SetValue(document, section, item, &index, value, size);
}
#endif

#ifndef MTXSIM_SIN_MTMICRProcessCheck
std::int32_t MTXSIM_LLAMADA MTMICRProcessCheck(const char* device, const char* options,
                                               char* result, std::int32_t* size) {
  return mtxsim::ProcessCheck(device, options, result, size);
}
#endif

#ifndef MTXSIM_SIN_MTMICRGetValue
std::int32_t MTXSIM_LLAMADA MTMICRGetValue(const char* document, const char* section,
                                           const char* key, char* value, std::int32_t* size) {
  return mtxsim::GetValue(document, section, key, nullptr, value, size);
}
#endif

#ifndef MTXSIM_SIN_MTMICRGetIndexValue
std::int32_t MTXSIM_LLAMADA MTMICRGetIndexValue(const char* document, const char* section,
                                                const char* key, std::int32_t index, char* value,
                                                std::int32_t* size) {
  return mtxsim::GetValue(document, section, key, &index, value, size);
}
#endif

#ifndef MTXSIM_SIN_MTMICRGetImage
std::int32_t MTXSIM_LLAMADA MTMICRGetImage(const char* device, const char* image_name,
                                           unsigned char* image, std::int32_t* size) {
  return mtxsim::GetImage(device, image_name, image, size);
}
#endif

#ifndef MTXSIM_SIN_MTMICRSendCommand
std::int32_t MTXSIM_LLAMADA MTMICRSendCommand(const char* device, const char* command,
                                              char* response, std::int32_t* size) {
  return mtxsim::SendCommand(device, command, response, size);
}
#endif

}  // extern "C"
