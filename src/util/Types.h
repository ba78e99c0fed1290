#pragma once

#include <map>
#include <string>
#include <vector>

// Binary data. Text is std::string holding UTF-8.
using Bytes = std::vector<unsigned char>;
using StringMap = std::map<std::string, std::string>;
