#include "ui/PfxFailureSentence.h"

#include "crypto/CryptoResult.h"
#include "ui/UiTexts.h"

std::string pfxFailureSentence(PfxFailure cause) {
    switch (cause) {
        case PfxFailure::None:
            return {};
        case PfxFailure::Missing:
            return ui_text::kPfxMissing;
        case PfxFailure::NotPkcs12:
            return ui_text::kPfxNotPkcs12;
        case PfxFailure::Damaged:
            return ui_text::kPfxDamaged;
        case PfxFailure::WrongPassword:
            return ui_text::kPfxWrongPassword;
        case PfxFailure::UnsupportedAlgorithm:
            return ui_text::kPfxUnsupported;
        case PfxFailure::NoMatchingKey:
            return ui_text::kPfxNoMatchingKey;
        case PfxFailure::OtherCustomer:
            return ui_text::kPfxOtherCustomer;
        case PfxFailure::OtherCertificate:
            return ui_text::kPfxOtherCertificate;
        case PfxFailure::NotReadBack:
            return ui_text::kPfxNotReadBack;
    }
    return {};
}

std::string withPfxFailure(const std::string& message, PfxFailure cause) {
    const std::string sentence = pfxFailureSentence(cause);
    return sentence.empty() ? message : message + "\n" + sentence;
}

std::string withPfxWriteFailure(const std::string& message, int resultCode) {
    return withPfxFailure(message, resultCode == crypto_result::kPfxNotReadBack
                                       ? PfxFailure::NotReadBack
                                       : PfxFailure::None);
}
