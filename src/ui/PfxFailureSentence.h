#pragma once

#include <string>

#include "crypto/PfxFailure.h"

// The sentence that names why a PFX cannot be used; "" for PfxFailure::None.
std::string pfxFailureSentence(PfxFailure cause);
// The message, unchanged and first, then on its own line the cause's sentence (the message
// alone when there is none).
std::string withPfxFailure(const std::string& message, PfxFailure cause);
