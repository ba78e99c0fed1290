#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <vector>

// Starting programs without a shell, so no argument is ever read as shell syntax.
class Process {
  public:
    // Starts the program (looked up in PATH) in a session of its own and returns at once;
    // the child is reaped in the background. False when it could not be started.
    static bool spawnDetached(const std::vector<std::string>& argv);

    // Runs the program and returns what it wrote to standard output, or nothing when it could
    // not be started, failed, or did not finish within `timeout` (it is then killed).
    // With `withStderr` the program's error output is collected too, interleaved.
    static std::optional<std::string> capture(const std::vector<std::string>& argv,
                                              std::chrono::milliseconds timeout,
                                              bool withStderr = false);
};
