#pragma once

#include <map>
#include <string>

// The error message table "ZOLTErrMsg": a text for each result code the customer can act
// on. Compiled into the binary from ZOLTErrMsg.strings.
class ErrorMessages {
  public:
    // The table's text for the code, or the code in decimal when it has none.
    static std::string lookup(int code);
    // The table as read from its text (exposed for tests of the format).
    static std::map<std::string, std::string> parse(const std::string& text);

  private:
    static const char* tableText();
};
