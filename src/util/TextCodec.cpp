#include "util/TextCodec.h"

#include <unicode/unistr.h>
#include <unicode/ustring.h>

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

}  // namespace

bool TextCodec::isValidUtf8(std::string_view text) {
    UErrorCode status = U_ZERO_ERROR;
    int32_t length = 0;
    u_strFromUTF8(nullptr, 0, &length, text.data(), static_cast<int32_t>(text.size()), &status);
    return status == U_BUFFER_OVERFLOW_ERROR || status == U_STRING_NOT_TERMINATED_WARNING ||
           status == U_ZERO_ERROR;
}

std::optional<Bytes> TextCodec::utf8ToBig5(std::string_view utf8) {
    if (!isValidUtf8(utf8)) return std::nullopt;
    if (utf8.empty()) return Bytes{};
    auto converter = openBig5();
    if (!converter) return std::nullopt;
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
    auto converter = openBig5();
    if (!converter) return std::nullopt;
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
