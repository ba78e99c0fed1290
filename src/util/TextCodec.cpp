#include "util/TextCodec.h"

#include <unicode/unistr.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <mutex>

#include "util/icuptr.h"

namespace {

UConverterPtr openBig5() {
    UErrorCode status = U_ZERO_ERROR;
    UConverterPtr converter(ucnv_open("Big5", &status));
    if (U_FAILURE(status)) return nullptr;
    ucnv_setFromUCallBack(converter.get(), UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                          &status);
    ucnv_setToUCallBack(converter.get(), UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr,
                        &status);
    if (U_FAILURE(status)) return nullptr;
    return converter;
}

// Opened once per process, on first use: opening costs more than converting a service answer.
// A converter carries state between calls, so conversions take turns.
struct SharedBig5 {
    std::mutex turn;
    UConverterPtr converter = openBig5();
};

SharedBig5& sharedBig5() {
    static SharedBig5 shared;
    return shared;
}

}  // namespace

bool TextCodec::isValidUtf8(std::string_view text) {
    // Most text checked is ASCII (PEM keys, answers), which needs no converter.
    if (std::all_of(text.begin(), text.end(), [](char c) { return (c & 0x80) == 0; })) return true;
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING ||
           status == U_ZERO_ERROR;
}

std::optional<Bytes> TextCodec::utf8ToBig5(std::string_view utf8) {
    if (!isValidUtf8(utf8)) return std::nullopt;
    if (utf8.empty()) return Bytes{};
    auto& shared = sharedBig5();
    std::lock_guard turn(shared.turn);
    const auto& converter = shared.converter;
    if (!converter) return std::nullopt;
    ucnv_reset(converter.get());
    auto text = icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), utf8.size()));
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed =
        ucnv_fromUChars(converter.get(), nullptr, 0, text.getBuffer(), text.length(), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    Bytes out(static_cast<std::size_t>(needed) + 1);
    status = U_ZERO_ERROR;
    ucnv_reset(converter.get());
    int32_t written =
        ucnv_fromUChars(converter.get(), reinterpret_cast<char*>(out.data()),
                        static_cast<int32_t>(out.size()), text.getBuffer(), text.length(), &status);
    if (U_FAILURE(status)) return std::nullopt;
    out.resize(static_cast<std::size_t>(written));
    return out;
}

std::optional<std::string> TextCodec::big5ToUtf8(std::string_view big5) {
    if (big5.empty()) return std::string{};
    auto& shared = sharedBig5();
    std::lock_guard turn(shared.turn);
    const auto& converter = shared.converter;
    if (!converter) return std::nullopt;
    ucnv_reset(converter.get());
    UErrorCode status = U_ZERO_ERROR;
    int32_t needed = ucnv_toUChars(converter.get(), nullptr, 0, big5.data(),
                                   static_cast<int32_t>(big5.size()), &status);
    if (status != U_BUFFER_OVERFLOW_ERROR && U_FAILURE(status)) return std::nullopt;
    icu::UnicodeString text;
    status = U_ZERO_ERROR;
    ucnv_reset(converter.get());
    UChar* buffer = text.getBuffer(needed + 1);
    int32_t written = ucnv_toUChars(converter.get(), buffer, needed + 1, big5.data(),
                                    static_cast<int32_t>(big5.size()), &status);
    text.releaseBuffer(U_SUCCESS(status) ? written : 0);
    if (U_FAILURE(status)) return std::nullopt;
    std::string utf8;
    text.toUTF8String(utf8);
    return utf8;
}

std::optional<std::string> TextCodec::big5ToUtf8(const Bytes& big5) {
    return big5ToUtf8(std::string_view(reinterpret_cast<const char*>(big5.data()), big5.size()));
}
