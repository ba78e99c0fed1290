#pragma once

#include <string>

#include "crypto/PfxFailure.h"

// The sentence that names why a PFX cannot be used; "" for PfxFailure::None.
std::string pfxFailureSentence(PfxFailure cause);
// The message, unchanged and first, then on its own line the cause's sentence (the message
// alone when there is none).
std::string withPfxFailure(const std::string& message, PfxFailure cause);
// After a PFX write: the message, and the read-back sentence when the result code is 52115.
std::string withPfxWriteFailure(const std::string& message, int resultCode);
