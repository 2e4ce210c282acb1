// The saver's text is UTF-8; Windows' own is UTF-16. Paths and names cross
// between the two here, so names with non-ASCII letters survive the trip.
#pragma once

#include <string>
#include <string_view>

namespace linesaver {

// Invalid sequences become U+FFFD.
std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

} // namespace linesaver
