#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The activity log, Lectora.log: one line per failure with the reader.
namespace vardel::Configuracion {

// The log's directory on this thread, as the reader initialisation last set
// it; empty until then.
std::string& strDirectorioLog();

// Appends one line (the text and CR LF, in the 8-bit code page) to
// Lectora.log in the log directory, or in the component's directory while
// the log directory is empty. A line that cannot be written is dropped: a
// log never ends the operation it reports on.
void EscribeLog(const std::string& texto);

// A whole log line: the local date and time in the regional general-date
// form, " - ", the number in decimal, then the message (which starts with
// " - ").
std::string LineaLog(std::int32_t numero, std::string_view mensaje);
// The same with the number already as text.
std::string LineaLog(std::string_view numero, std::string_view mensaje);

}  // namespace vardel::Configuracion
