#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "support/FakeDesktop.h"
#include "util/Types.h"

// What every fuzz target shares: the tests' fake desktop, keeping no record, and the files
// the targets read.
namespace fuzz {

// The one desktop of the process; its temporary home is removed when the process ends.
FakeDesktop& desktop();

// A file of the stand-in service's demo folder, or of the fuzz folder.
std::string demoFile(const std::string& name);
std::string fuzzFile(const std::string& name);

// Ends the process as a crash would, with the reason on standard error.
[[noreturn]] void fail(const std::string& why);

}  // namespace fuzz

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
