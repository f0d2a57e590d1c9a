#pragma once

// What happens to the controller's replies, so that a bench can see how the device under test
// copes with a dead, corrupt, slow, busy or stammering controller.
enum class ReplyFaultMode {
    None,         // replies go out unchanged
    Silent,       // replies are dropped
    BadChecksum,  // the last byte of each reply is off by one
    Delay,        // each reply waits a set time
    Pending,      // each reply is announced by 7F <service> 78 and follows a set time later
    Busy,         // the next N replies become 7F <service> 21; then replies are normal again
    Gap,          // each reply is cut once in its middle by a pause
    Drop,         // every N-th reply is dropped
};

// The longest a reply may be held back on purpose.
constexpr int kMaxReplyDelayMs = 5000;
// After "response pending" a tester waits up to P2*max for the real reply.
constexpr int kMaxPendingMs = 5000;
constexpr int kMaxGapMs = 1000;
constexpr int kMaxBusyReplies = 1000;
constexpr int kMinDropEvery = 2;
constexpr int kMaxDropEvery = 1000;
