#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emulator/KwpFrame.h"
#include "emulator/ResponseFramer.h"
#include "emulator/ServiceContext.h"

// Keeps every reply a handler hands over (payload text and form), and passes it on to a
// real framer so the whole frame lands in the environment's written list as well.
class RecordingReplySender : public ReplySender {
public:
    struct Reply {
        std::string payload;
        FrameForm form;
        std::vector<std::uint8_t> data;  // the payload read back as bytes
    };

    explicit RecordingReplySender(ResponseFramer& framer) : framer_(framer) {}

    void SendHexResponse(const std::string& payload, FrameForm form) override {
        const auto data = ParseHexPayload(payload);
        replies.push_back(Reply{payload, form, data ? *data : std::vector<std::uint8_t>{}});
        framer_.SendHexResponse(payload, form);
    }

    std::vector<Reply> replies;

private:
    ResponseFramer& framer_;
};
