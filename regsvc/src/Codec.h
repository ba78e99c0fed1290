#pragma once

#include <optional>
#include <string>

// Text and binary codecs of the service: base64 (strict, no line breaks), Big5 through iconv,
// XML escaping.
namespace codec {

std::string base64(const std::string& bytes);
std::optional<std::string> unbase64(const std::string& text);
std::optional<std::string> utf8ToBig5(const std::string& utf8);
std::string xmlEscape(const std::string& text);
std::string upperHex(const unsigned char* data, std::size_t size);

}  // namespace codec
