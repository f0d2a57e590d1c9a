#include <gtest/gtest.h>

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>

#include "line/ReplyPacer.h"

namespace {

// A pacer started without the right to raise its priority, as a bench user without root runs it
// (capabilities are a thread's own, and a thread inherits its starter's): it says once why its
// timing may jitter and how to allow it, and still writes the reply.
TEST(ReplyPacer, RefusedPriorityIsToldOnceWithTheRemedy) {
    rlimit nice{};
    ASSERT_EQ(::getrlimit(RLIMIT_NICE, &nice), 0);
    std::promise<std::string> notice;
    std::promise<void> gone;
    std::thread unprivileged([&] {
        __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
        __user_cap_data_struct caps[2]{};
        ASSERT_EQ(::syscall(SYS_capget, &header, caps), 0);
        caps[CAP_TO_INDEX(CAP_SYS_NICE)].effective &= ~CAP_TO_MASK(CAP_SYS_NICE);
        ASSERT_EQ(::syscall(SYS_capset, &header, caps), 0);
        const rlimit none{0, nice.rlim_max};
        ASSERT_EQ(::setrlimit(RLIMIT_NICE, &none), 0);
        int notices = 0;
        ReplyPacer::Events events;
        events.timingNotice = [&](const std::string& text) {
            if (++notices == 1) notice.set_value(text);
        };
        events.gone = [&] { gone.set_value(); };
        ReplyPacer pacer([](const std::uint8_t*, int count) { return count; }, events);
        pacer.Queue({ReplyPieces{ReplyPiece{{0x7E}, 0, false}}, ReplyPacer::Clock::now(), {}});
        gone.get_future().wait();
        pacer.Stop();
        EXPECT_EQ(notices, 1);
    });
    std::future<std::string> told = notice.get_future();
    unprivileged.join();
    ASSERT_EQ(::setrlimit(RLIMIT_NICE, &nice), 0);
    ASSERT_EQ(told.wait_for(std::chrono::seconds(0)), std::future_status::ready);
    const std::string text = told.get();
    EXPECT_NE(text.find("Reply timing may jitter"), std::string::npos) << text;
    EXPECT_NE(text.find("a raised priority"), std::string::npos) << text;
    EXPECT_NE(text.find("setcap cap_sys_nice+ep"), std::string::npos) << text;
}

}  // namespace
