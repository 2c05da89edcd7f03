#pragma once

#include <ctime>
#include <string>

namespace vardel::cli {

// A moment in ISO 8601 local time with its offset from UTC, e.g.
// "2026-12-08T12:34:56+01:00" (what a script can compare across machines).
std::string MomentoIso(std::time_t momento);

}  // namespace vardel::cli
