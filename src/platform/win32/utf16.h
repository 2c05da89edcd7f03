#pragma once

#include <string>
#include <string_view>

namespace vardel::platform {

// Text is UTF-8 inside the component; the system's wide functions and COM
// take UTF-16.
std::wstring AUtf16(std::string_view utf8);
std::string AUtf8(std::wstring_view utf16);

}  // namespace vardel::platform
