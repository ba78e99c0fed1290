// The properties store as a file may hold it, and its password cipher. What was read is
// written back and must read the same (a rewrite may not lose or change an entry), and every
// password read is decrypted as the workflow does. The same bytes are also taken as a
// ciphertext, and as a password that must survive encryption and decryption.
#include "FuzzDesktop.h"
#include "util/CommonUtility.h"
#include "util/TextCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CommonUtility util(fuzz::desktop(), nullptr);
    const Bytes bytes(data, data + size);
    const std::string text(bytes.begin(), bytes.end());
    const std::string path = util.getPropertiesPath();
    util.removeFile(path);
    if (!bytes.empty() && !util.saveFile(path, bytes)) fuzz::fail("cannot write the store");

    if (auto dictionary = util.propertiesFileToDictionary(path)) {
        const std::string copy = fuzz::desktop().homePath() + "/copy.Properties";
        if (!util.dictionaryToPropertiesFile(*dictionary, copy)) fuzz::fail("no rewrite");
        if (util.propertiesFileToDictionary(copy) != dictionary) fuzz::fail("rewrite changed it");
        for (const auto& [key, value] : *dictionary) {
            const std::string suffix = "_Password";
            if (key.size() < suffix.size() ||
                key.compare(key.size() - suffix.size(), suffix.size(), suffix) != 0) {
                continue;
            }
            std::string pfx, password;
            util.loadFromProperties(key.substr(0, key.size() - suffix.size()), pfx, password);
        }
    }

    util.des3cbcDecrypt(bytes);
    util.base64Decode(text);
    if (TextCodec::isValidUtf8(text) && size <= 2048) {
        auto cipherText = util.base64Decode(util.des3cbcEncrypt(text));
        if (!cipherText || util.des3cbcDecrypt(*cipherText) != text) {
            fuzz::fail("a password does not survive the cipher");
        }
    }
    return 0;
}
