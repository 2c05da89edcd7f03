#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "vardel/error.h"

// The activity log, Lectora.log: one line per failure with the reader.
namespace vardel::Configuracion {

// The log's directory on this thread, as the reader initialisation last set
// it; empty until then.
std::string& strDirectorioLog();

// The log's folder when Config.ini names none: the folder the build was
// given (/var/log/vardel in the Debian packages), else the component's
// directory.
std::string CarpetaLogPredeterminada();

// The log file lines go to now: Lectora.log in the log directory, or in
// CarpetaLogPredeterminada() while the log directory is empty.
std::string RutaLog();

// The account's own log, where a line goes when Lectora.log cannot take it
// (its folder missing or not writable for this account, a link at its
// name, a full disk): Lectora.log in the account's state folder. "" when
// the account has none.
std::string RutaLogRespaldo();

// Appends one line (the text and CR LF, in the 8-bit code page) to the log
// file, or to the account's own log when that cannot take it. A line that
// neither takes is dropped: a log never ends the operation it reports on.
void EscribeLog(const std::string& texto);

// A trace line, one that names a cheque the operator must feed again: the
// same as EscribeLog, but when neither file takes the line it hands back
// the error of the write, so the caller can stop before another cheque is
// fed untraced.
std::optional<ErrorEjecucion> EscribeTraza(const std::string& texto);

// A whole log line: the local date and time in the regional general-date
// form, " - ", the number in decimal, then the message (which starts with
// " - ").
std::string LineaLog(std::int32_t numero, std::string_view mensaje);
// The same with the number already as text.
std::string LineaLog(std::string_view numero, std::string_view mensaje);

}  // namespace vardel::Configuracion
