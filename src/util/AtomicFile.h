#pragma once

#include <functional>
#include <string>

#include "util/Types.h"

// Replaces a file in one step: the data goes to an owner-only temporary file in the same
// folder, is flushed to disk and renamed over the target. Readers see the old file or the new
// one, never a mix, and a failed write leaves the old file as it was. Each write also removes
// the temporary files that earlier writers, killed half-way, left in the same folder.
class AtomicFile {
  public:
    enum class Created { Yes, Exists, Failed };
    // Looks at the temporary file, complete and on disk, before it takes the target's name;
    // false keeps the previous file.
    using Check = std::function<bool(const std::string& tempPath)>;

    static bool write(const std::string& path, const Bytes& data, const Check& check = {});
    // The same, but never replaces: an existing file at the path is left alone.
    static Created create(const std::string& path, const Bytes& data);

  private:
    static bool publish(const std::string& path, const Bytes& data, bool replace,
                        const Check& check, bool& existed);
};
