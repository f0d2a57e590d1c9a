#pragma once

#include <array>
#include <cstddef>
#include <optional>

#include "protocol/EcuVariant.h"
#include "protocol/ReplyFraming.h"

// The reply framing chosen for each controller type; compact for all six unless set.
class FramingByType {
public:
    ReplyFraming For(EcuVariant variant) const { return framing_[Index(variant)]; }
    void Set(EcuVariant variant, ReplyFraming framing) { framing_[Index(variant)] = framing; }
    void SetAll(ReplyFraming framing) { framing_.fill(framing); }

    // The framing all six share, or nothing when they differ.
    std::optional<ReplyFraming> Common() const {
        for (const ReplyFraming f : framing_) {
            if (f != framing_[0]) return std::nullopt;
        }
        return framing_[0];
    }

    bool operator==(const FramingByType& other) const { return framing_ == other.framing_; }

private:
    static std::size_t Index(EcuVariant variant) { return static_cast<std::size_t>(variant); }

    std::array<ReplyFraming, 6> framing_{};
};
