#include "mtxmlmcr_api.h"
#include "simulador.h"

// The exported entry points: thin forwards to the simulated reader.
extern "C" {

std::int32_t MTXSIM_LLAMADA MTMICRGetDevice(std::int32_t index, char* name) {
  return mtxsim::GetDevice(index, name);
}

std::int32_t MTXSIM_LLAMADA MTMICROpenDevice(const char* device) {
  return mtxsim::OpenDevice(device);
}

std::int32_t MTXSIM_LLAMADA MTMICRCloseDevice(const char* device) {
  return mtxsim::CloseDevice(device);
}

std::int32_t MTXSIM_LLAMADA MTMICRQueryInfo(const char* device, const char* item, char* buffer,
                                            std::int32_t* size) {
  return mtxsim::QueryInfo(device, item, buffer, size);
}

std::int32_t MTXSIM_LLAMADA MTMICRSetValue(char* document, const char* section, const char* item,
                                           const char* value, std::int32_t* size) {
  return mtxsim::SetValue(document, section, item, nullptr, value, size);
}

std::int32_t MTXSIM_LLAMADA MTMICRSetIndexValue(char* document, const char* section,
                                                const char* item, std::int32_t index,
                                                const char* value, std::int32_t* size) {
  return mtxsim::SetValue(document, section, item, &index, value, size);
}

std::int32_t MTXSIM_LLAMADA MTMICRProcessCheck(const char* device, const char* options,
                                               char* result, std::int32_t* size) {
  return mtxsim::ProcessCheck(device, options, result, size);
}

std::int32_t MTXSIM_LLAMADA MTMICRGetValue(const char* document, const char* section,
                                           const char* key, char* value, std::int32_t* size) {
  return mtxsim::GetValue(document, section, key, nullptr, value, size);
}

std::int32_t MTXSIM_LLAMADA MTMICRGetIndexValue(const char* document, const char* section,
                                                const char* key, std::int32_t index, char* value,
                                                std::int32_t* size) {
  return mtxsim::GetValue(document, section, key, &index, value, size);
}

std::int32_t MTXSIM_LLAMADA MTMICRGetImage(const char* device, const char* image_name,
                                           unsigned char* image, std::int32_t* size) {
  return mtxsim::GetImage(device, image_name, image, size);
}

std::int32_t MTXSIM_LLAMADA MTMICRSendCommand(const char* device, const char* command,
                                              char* response, std::int32_t* size) {
  return mtxsim::SendCommand(device, command, response, size);
}

}  // extern "C"
