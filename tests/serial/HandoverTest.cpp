#include "ThreadHandover.h"

#include <gtest/gtest.h>
#include <QObject>
#include <chrono>
#include <numeric>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;

TEST(ThreadHandover, EveryCallRunsOnceInOrderWhenTheGuiThreadIsSlow)
{
    for (bool releaseEarly : {false, true}) {
        QObject context;
        ThreadHandover handover(&context);
        handover.reset();
        constexpr int kCalls = 100;
        std::vector<int> ran; // touched on the GUI thread only
        std::thread worker([&] {
            for (int i = 0; i < kCalls; ++i)
                handover.call([&ran, i] {
                    std::this_thread::sleep_for(1ms); // slower than the worker posts
                    ran.push_back(i);
                }, releaseEarly);
            handover.markFinished();
        });
        // The GUI thread has other work between two calls.
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (ran.size() < size_t(kCalls) && std::chrono::steady_clock::now() < deadline) {
            handover.serve();
            std::this_thread::sleep_for(1ms);
        }
        EXPECT_EQ(ran.size(), size_t(kCalls)) << "releaseEarly " << releaseEarly;
        handover.serveUntilFinished();
        worker.join();
        std::vector<int> expected(kCalls);
        std::iota(expected.begin(), expected.end(), 0);
        EXPECT_EQ(ran, expected) << "releaseEarly " << releaseEarly;
    }
}

} // namespace
