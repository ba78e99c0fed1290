// The service's answer: the HTTP body through either envelope, then the XML the client reads
// from it. The first byte picks how the rest enters:
//   0  the rest is an answer's Big5 text, sealed in the session envelope as the service seals
//      it, so that the XML reader sees fuzzed text behind the real decoding;
//   1  the rest is the raw body of a session-envelope answer;
//   2  the rest is the raw body of a public-key-envelope answer (demo service key);
//   3  the rest is the UTF-8 text of an answer, read directly.
#include "FuzzDesktop.h"
#include "crypto/RSAUtility.h"
#include "service/ZOLTLib.h"

namespace {

const Bytes kSessionKey{'F', 'u', 'z', 'z', 'S', 'e', 's', 's',
                        'i', 'o', 'n', 'K', 'e', 'y', '1', '6'};

void readAnswer(const CommonUtility& util, const std::optional<std::string>& text) {
    std::optional<std::string> code, message;
    auto doc = util.getXmlDoc(text, code, message);
    if (!doc) {
        if (code || message) fuzz::fail("outputs written without a document");
        return;
    }
    if (!code || !message) fuzz::fail("a document without its outputs");
    for (const char* path : {"//Root/aeskey", "//Root/sessionId", "//Root/cn", "//Root/custType",
                             "//Root/fnStatus", "//Root/cert", "//Root/serial"}) {
        util.getXPathValue(doc, path);
    }
    ZOLTLib::leadingInt(util.getXPathValue(doc, "//Root/certCount"));
    util.xmlNodeToMap(doc->firstNode("//Root"));
    util.xmlNodeToMap(doc->firstNode("//Root/certInfo"));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    static const std::string servicePublicKey = fuzz::demoFile("demo-service.pub");
    const int mode = data[0] % 4;
    const Bytes rest(data + 1, data + size);
    Bytes body;
    HttpExchange answer = [&body](const HttpRequest&) {
        HttpResponse response;
        response.status = 200;
        response.body = body;
        return response;
    };
    CommonUtility util(fuzz::desktop(), answer);
    RSAUtility rsa(util, servicePublicKey);
    std::optional<std::string> text;
    const std::string url = "https://fuzz.invalid/PLOVR_STK/api/SID:1/getFnStatus";
    switch (mode) {
        case 0: {
            Bytes sealed;
            if (rsa.encryptWithAes(kSessionKey, rest, sealed) != 0) return 0;
            const std::string b64 = util.base64Encode(sealed);
            body.assign(b64.begin(), b64.end());
            rsa.httpAesEncPost(url, kSessionKey, {{"cn", "A123456789-00"}}, text);
            break;
        }
        case 1:
            body = rest;
            rsa.httpAesEncPost(url, kSessionKey, {{"cn", "A123456789-00"}}, text);
            break;
        case 2:
            body = rest;
            rsa.httpPubKeyEncPost(url, {{"version", "1.0"}}, text);
            break;
        default:
            text = std::string(rest.begin(), rest.end());
            break;
    }
    readAnswer(util, text);
    return 0;
}
