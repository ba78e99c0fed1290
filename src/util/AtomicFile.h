#pragma once

#include <string>

#include "util/Types.h"

// Replaces a file in one step: the data goes to an owner-only temporary file in the same
// folder, is flushed to disk and renamed over the target. Readers see the old file or the new
// one, never a mix, and a failed write leaves the old file as it was.
class AtomicFile {
  public:
    static bool write(const std::string& path, const Bytes& data);
};
