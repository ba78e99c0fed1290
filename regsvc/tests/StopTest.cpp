#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "RegsvcProcess.h"

// A stop that arrives before the service's loop has started used to be spent on nothing,
// leaving a service that never ended. Asked to stop at once, many times and several at a
// time, every one must end by itself.
TEST(RegsvcStop, EndsWheneverItIsToldToEvenRightAfterStarting) {
    constexpr int kParallel = 4;
    constexpr int kRounds = 50;
    std::vector<int> unclean(kParallel, 0);
    std::vector<std::thread> workers;
    for (int w = 0; w < kParallel; ++w) {
        workers.emplace_back([&unclean, w] {
            RegsvcProcess service;
            for (int round = 0; round < kRounds; ++round) {
                if (!service.stop()) ++unclean[w];
                service.restart();
            }
            if (!service.stop()) ++unclean[w];
        });
    }
    for (auto& worker : workers) worker.join();
    EXPECT_EQ(unclean, std::vector<int>(kParallel, 0));
}
