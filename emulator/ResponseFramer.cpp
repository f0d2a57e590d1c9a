#include "emulator/ResponseFramer.h"

#include <algorithm>

#include "emulator/HexConversionError.h"
#include "protocol/Iso9141Frame.h"
#include "protocol/KwpFrame.h"

namespace {

constexpr std::uint8_t kPositiveReadDataByLocalIdentifier = 0x61;

}  // namespace

void ResponseFramer::SetRequestAddresses(std::uint8_t target, std::uint8_t source) {
    requestTarget_ = target;
    requestSource_ = source;
}

void ResponseFramer::SendHexResponse(const std::string& payload, FrameForm form) {
    std::string badPair;
    const auto data = ParseHexPayload(payload, &badPair);
    if (!data) {
        throw HexConversionError(badPair);
    }
    SendBytes(data->data(), data->size(), form);
}

void ResponseFramer::SendSingleByte(std::uint8_t byte) {
    SendBytes(&byte, 1, FrameForm::Short);
}

void ResponseFramer::SendFixed(const std::uint8_t* bytes, std::size_t n) {
    if (n > txBuffer_.size()) {
        return;
    }
    std::copy(bytes, bytes + n, txBuffer_.begin());
    ++framesWritten_;
    env_.WriteBuf(txBuffer_.data(), static_cast<int>(n));
}

void ResponseFramer::SendBytes(const std::uint8_t* data, std::size_t n, FrameForm form) {
    // Real controllers send every live-data answer (61) with the separate length byte, which
    // some trip computers count their offsets from.
    if (n > 0 && data[0] == kPositiveReadDataByLocalIdentifier && env_.Framing() == ReplyFraming::Real) {
        form = FrameForm::Long;
    }
    const std::size_t size =
        iso9141Source_ ? Iso9141ReplyInto(txBuffer_.data(), txBuffer_.size(), *iso9141Source_, data, n) :
        FrameInto(txBuffer_.data(), txBuffer_.size(), requestSource_, requestTarget_, data, n, form);
    if (size == 0) {
        return;
    }
    ++framesWritten_;
    env_.WriteBuf(txBuffer_.data(), static_cast<int>(size));
}
