#pragma once

#include <signal.h>

#include <QWidget>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "AfterFirstPaint.h"

// How the start-up benchmark (scripts/bench-startup.sh) tells when a program's window is on
// the screen: the process ends right after its first paint, without tearing anything down,
// so that its run time and peak memory are those of the way to that paint. With `stop` it
// first stops itself, for the script to read its memory map. Nothing but a paint ends it.
inline std::unique_ptr<AfterFirstPaint> quitAfterFirstPaint(QWidget& window,
                                                            std::string_view mode) {
    return std::make_unique<AfterFirstPaint>(
        window,
        [stop = mode == "stop"] {
            if (stop) raise(SIGSTOP);
            std::_Exit(0);
        },
        std::chrono::hours(1));
}
