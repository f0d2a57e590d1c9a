#include "serial/TSerHandOver.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

#include <thread>

namespace {

// Posts come from a port thread; the owning thread runs the posted call when it gets to
// its events.
TEST(TSerHandOver, PostsFoldIntoOneCallAndNoneRunsWhileCalledOff) {
    struct Row { const char* what; int posts; bool shutdown, reopen, postWhileRunning; int runs; } rows[] = {
        {"three posts before the owner looks", 3, false, false, false, 1},
        {"called off", 1, true, false, false, 0},
        {"called off, opened anew: the old ring finds nothing asked", 1, true, true, false, 0},
        {"a post while the call runs rings again", 1, false, false, true, 2},
    };
    for (const Row& row : rows) {
        int runs = 0;
        TSerHandOver* self = nullptr;
        TSerHandOver handOver([&] {
            if (++runs == 1 && row.postWhileRunning) self->Post();
        });
        self = &handOver;
        handOver.Reopen();
        std::thread portThread([&] {
            for (int i = 0; i < row.posts; ++i) handOver.Post();
        });
        portThread.join();
        if (row.shutdown) handOver.Shutdown();
        if (row.reopen) handOver.Reopen();
        for (int i = 0; i < 3; ++i) QCoreApplication::sendPostedEvents();
        EXPECT_EQ(runs, row.runs) << row.what;
    }
}

}  // namespace
