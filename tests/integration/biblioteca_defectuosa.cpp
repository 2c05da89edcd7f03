// A reader library that misbehaves on purpose, for the binding's tests: it
// hands back sizes that are negative or larger than any buffer, reports
// the size it was told and whether the binding's guard NUL follows the
// buffer, and lacks MTMICRSendCommand. It is exported without a definition
// file, so a 32-bit Windows build carries decorated stdcall names.

#include <cstdint>
#include <cstring>

#if defined(_WIN32)
#define LLAMADA __stdcall
#define EXPORTA __declspec(dllexport)
#else
#define LLAMADA
#define EXPORTA __attribute__((visibility("default")))
#endif

namespace {

// The answer for an item: fills what it was told it may fill, then hands
// back the size the item names ("negativo", "enorme", or the size as told).
// The result is the size it was told, or -1 when the byte after the buffer
// is not the NUL the binding keeps there.

std::int32_t Rellena(const char* modo, char* buffer, std::int32_t* tamano) {
  const std::int32_t indicado = *tamano;
  if (indicado > 0) {
    std::memset(buffer, 'x', static_cast<std::size_t>(indicado));
  }
  // The byte after the buffer: the binding keeps a NUL there.
  const bool guarda = buffer[indicado > 0 ? indicado : 0] == '\0';
  if (std::strcmp(modo, "negativo") == 0) {
    *tamano = -7;
  } else if (std::strcmp(modo, "enorme") == 0) {
    *tamano = 0x40000000;
  }
  return guarda ? indicado : -1;
}

}  // namespace

extern "C" {

EXPORTA std::int32_t LLAMADA MTMICRGetDevice(std::int32_t index, char* name) {
  if (index != 1) {
    return 1;
  }
  // A name that fills the whole 200-byte buffer the library may assume.
  std::memset(name, 'N', 199);
  name[199] = '\0';
  return 0;
}

EXPORTA std::int32_t LLAMADA MTMICROpenDevice(const char*) {
  return 0;
}
EXPORTA std::int32_t LLAMADA MTMICRCloseDevice(const char*) {
  return 0;
}

EXPORTA std::int32_t LLAMADA MTMICRQueryInfo(const char*, const char* item, char* buffer,
                                             std::int32_t* size) {
  return Rellena(item, buffer, size);
}

EXPORTA std::int32_t LLAMADA MTMICRSetValue(char* document, const char*, const char* item,
                                            const char*, std::int32_t* size) {
  return Rellena(item, document, size);
}

EXPORTA std::int32_t LLAMADA MTMICRSetIndexValue(char* document, const char*, const char* item,
                                                 std::int32_t, const char*, std::int32_t* size) {
  return Rellena(item, document, size);
}

EXPORTA std::int32_t LLAMADA MTMICRProcessCheck(const char*, const char* options, char* result,
                                                std::int32_t* size) {
  return Rellena(options, result, size);
}

EXPORTA std::int32_t LLAMADA MTMICRGetValue(const char*, const char*, const char* key, char* value,
                                            std::int32_t* size) {
  return Rellena(key, value, size);
}

EXPORTA std::int32_t LLAMADA MTMICRGetIndexValue(const char*, const char*, const char* key,
                                                 std::int32_t, char* value, std::int32_t* size) {
  return Rellena(key, value, size);
}

EXPORTA std::int32_t LLAMADA MTMICRGetImage(const char*, const char* name, unsigned char* image,
                                            std::int32_t* size) {
  const std::int32_t indicado = *size;
  if (indicado > 0) {
    std::memset(image, 0xAB, static_cast<std::size_t>(indicado));
  }
  if (std::strcmp(name, "negativo") == 0) {
    *size = -1;
  } else if (std::strcmp(name, "enorme") == 0) {
    *size = 0x7FFFFFFF;
  }
  return indicado;
}

// MTMICRSendCommand is missing on purpose.

}  // extern "C"
