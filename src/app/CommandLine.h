#pragma once

#include <iosfwd>
#include <optional>

class Desktop;

// The uses of the program that need no window: --report and --help.
class CommandLine {
  public:
    // The exit status when the arguments asked for one of them; nothing when they are for
    // the window (Qt's own options among them).
    static std::optional<int> run(int argc, char* argv[], Desktop& desktop, std::ostream& out);
};
