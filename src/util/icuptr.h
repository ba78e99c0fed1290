#pragma once

#include <unicode/ucnv.h>
#include <unicode/uregex.h>

#include <memory>

struct UConverterDeleter {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};

using UConverterPtr = std::unique_ptr<UConverter, UConverterDeleter>;
