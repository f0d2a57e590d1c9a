#pragma once

// What happens to the controller's replies, so that a bench can see how the device under test
// copes with a dead, corrupt or slow controller.
enum class ReplyFaultMode {
    None,         // replies go out unchanged
    Silent,       // replies are dropped
    BadChecksum,  // the last byte of each reply is off by one
    Delay,        // each reply waits a set time
};

// The longest a reply may be held back on purpose.
constexpr int kMaxReplyDelayMs = 5000;
