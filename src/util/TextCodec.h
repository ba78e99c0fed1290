#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "util/Types.h"

// Conversions at the edges where text is not UTF-8. Big5 here is the Traditional Chinese code
// page; a character it cannot carry ends the conversion with nothing, never a substitute.
class TextCodec {
  public:
    static std::optional<Bytes> utf8ToBig5(std::string_view utf8);
    static std::optional<std::string> big5ToUtf8(std::string_view big5);
    static std::optional<std::string> big5ToUtf8(const Bytes& big5);
    static bool isValidUtf8(std::string_view text);
};
