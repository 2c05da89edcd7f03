#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vardel::device {

// A size within [0, capacidad]. Applied to every size told to the library
// (a caller may ask for more than the buffer holds) and to every size the
// library hands back (a faulty library may report a negative or larger
// one), so no one ever reads or writes past a buffer the binding owns.
std::int32_t AcotaTamano(std::int64_t tamano, std::int32_t capacidad);

// A text buffer owned by the binding for one library call: the caller's text
// in the reader library's code page, padded with a filler to a minimum
// capacity, followed by one NUL that the library is never told about, so a
// library that writes a full buffer still leaves a terminated text.
class BufferTexto {
 public:
  explicit BufferTexto(const std::string& utf8, std::size_t minimo = 0, char relleno = ' ');

  char* Datos() { return bytes_.data(); }
  std::int32_t Capacidad() const { return capacidad_; }
  // The whole buffer, back in UTF-8.
  std::string Utf8() const;

 private:
  std::string bytes_;
  std::int32_t capacidad_ = 0;
};

}  // namespace vardel::device
