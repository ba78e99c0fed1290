#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "util/HttpExchange.h"
#include "util/Types.h"
#include "util/XmlDocument.h"

class Desktop;

// Files, paths, regular expressions, time stamps, browsers, HTTP, XML, encoders and the
// properties store. Keeps no state of its own: every caller makes an instance over the
// desktop and the HTTP exchange it wants.
class CommonUtility {
  public:
    // Exchanges through libcurl with the system's trust store.
    explicit CommonUtility(Desktop& desktop);
    CommonUtility(Desktop& desktop, HttpExchange exchange);

    Desktop& desktop() const { return desktop_; }
    void log(const std::string& line) const;

    // Browsers: Safari, Chrome, Firefox, in that order, installed ones only.
    std::vector<StringMap> getBrowserInfo() const;

    // Regular expressions (ICU syntax). regexReplace lets "." match line ends and gives ""
    // when the pattern does not compile; regexMatch must match the whole text.
    std::string regexReplace(const std::string& text, const std::string& pattern,
                             const std::string& replacement) const;
    bool regexMatch(const std::string& text, const std::string& pattern) const;

    // Paths. A path splits at its last slash when a name follows it; any other path is its
    // own folder and file name.
    std::string getFolderNameFromFullPath(const std::string& path) const;
    std::string getFileNameFromFullPath(const std::string& path) const;
    std::string getUserHomePath() const;
    std::string getDeskTopPath() const;
    std::string getPrivateKeyFolder() const;

    // The current local time in an ICU date pattern, ASCII digits.
    std::string getCurrentTimeStr(const std::string& format) const;

    // Files. Every file written is owner-only and replaced atomically; every folder made is
    // owner-only. The readers read regular files only and never throw.
    bool saveFile(const std::string& path, const Bytes& fileData) const;
    // The same, with a look at the written temporary file before it replaces the old one; a
    // refusal fails the write and keeps the old file.
    bool saveFile(const std::string& path, const Bytes& fileData,
                  const std::function<bool(const std::string& tempPath)>& check) const;
    bool saveFile(const std::string& path, const std::string& fileStrData) const;  // as Big5
    std::optional<std::string> getFileAsStr(const std::string& path) const;
    std::optional<Bytes> getFile(const std::string& path) const;
    // Removes a file or a link, never a folder.
    void removeFile(const std::string& path) const;
    // Removes the files in `folder` (not below it) whose names regexMatch the pattern.
    void removeFile(const std::string& folder, const std::string& filePattern) const;
    void checkAndMakeDir(const std::string& folder) const;

    // HTTP. 0 whenever a request was made, whatever came back; 1 for an unknown method.
    int httpConnect(const std::string& url, const std::string& connectMethod,
                    const StringMap& dataSend, std::optional<Bytes>& responseData) const;
    std::string getHttpSendData(const StringMap& dataSend) const;
    std::string urlEncode(std::string_view text) const;
    int httpPost(const std::string& url, const StringMap& dataSend,
                 std::optional<std::string>& responseTxt) const;
    int httpGet(const std::string& url, const StringMap& dataSend,
                std::optional<std::string>& responseTxt) const;
    // Plain downloads: https addresses only, redirects followed (https only, a few), and
    // nothing unless the final status is a success (2xx).
    std::optional<Bytes> httpDownload(const std::string& url) const;
    bool httpDownloadAsFile(const std::string& url, const std::string& filePath) const;

    // XML service answers.
    std::optional<XmlDocument> getXmlDoc(const std::optional<std::string>& text) const;
    // rtnCode and rtnMsg stay unwritten when the text does not parse.
    std::optional<XmlDocument> getXmlDoc(const std::optional<std::string>& text,
                                         std::optional<std::string>& rtnCode,
                                         std::optional<std::string>& rtnMsg) const;
    std::string getXPathValue(const std::optional<XmlDocument>& doc,
                              const std::string& xPath) const;
    std::optional<StringMap> xmlNodeToMap(const XmlNode& node) const;

    // Encoders. base64Decode is strict: any character outside the alphabet fails.
    std::string hexEncode(const Bytes& data) const;
    std::string base64Encode(const Bytes& data) const;
    std::string base64Encode(std::string_view text) const;
    std::optional<Bytes> base64Decode(std::string_view text) const;

    // The properties store of each user's PFX path and encrypted password.
    std::string getPropertiesPath() const;
    std::optional<StringMap> propertiesFileToDictionary(const std::string& path) const;
    // False when the file was not written; an entry with a line break is never written.
    [[nodiscard]] bool dictionaryToPropertiesFile(const StringMap& dictionary,
                                                  const std::string& filepath) const;
    // An ID number as the log shows it (first and last characters), alone or inside a text.
    static std::string maskIdNumber(const std::string& idno);
    static std::string maskIdNumberIn(const std::string& text, const std::string& idno);
    // Logs the ID number masked. False when the store was not written.
    [[nodiscard]] bool saveToProperties(const std::string& idno, const std::string& pfxPath,
                                        const std::string& password) const;
    // Reads back what saveToProperties recorded. False when there is no stored password or
    // it does not decrypt; the outputs are then unwritten.
    bool loadFromProperties(const std::string& idno, std::string& pfxPath,
                            std::string& password) const;
    std::string des3cbcEncrypt(std::string_view plainText) const;
    // Nothing when the ciphertext is malformed or its padding is wrong.
    std::optional<std::string> des3cbcDecrypt(const Bytes& cipherText) const;

  private:
    bool writeAtomically(const std::string& path, const Bytes& data,
                         const std::function<bool(const std::string&)>& check = {}) const;
    std::optional<Bytes> download(const std::string& url, HttpRequest::Kind kind) const;

    Desktop& desktop_;
    HttpExchange exchange_;
};
