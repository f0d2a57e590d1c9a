#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// The key bytes of a slow init to 0x33: ISO 9141-2 (the tester answers F7), and ISO 14230-4
// (the tester answers 70; frames then carry KWP2000 headers).
constexpr std::array<std::uint8_t, 2> kIso9141KeyBytes = {0x08, 0x08};
constexpr std::array<std::uint8_t, 2> kIso14230SlowInitKeyBytes = {0xE9, 0x8F};

// The ways an OBD-II tester may open the link to the types that answer OBD-II: ISO 14230-4
// with the fast-init wake-up (the default), ISO 14230-4 with a slow init at 0x33, and ISO
// 9141-2 (a slow init at 0x33, key bytes 08 08). Written as a comma-separated list of
// `fast`, `slow` and `iso9141`, in that order.
struct ObdProtocols {
    bool fast = true;
    bool slow = false;
    bool iso9141 = false;

    // At least one word, each once at most; nullopt for anything else.
    static std::optional<ObdProtocols> Parse(std::string_view list);
    std::string Text() const;
    bool SlowInitAt33() const { return slow || iso9141; }

    bool operator==(const ObdProtocols& other) const {
        return fast == other.fast && slow == other.slow && iso9141 == other.iso9141;
    }
    bool operator!=(const ObdProtocols& other) const { return !(*this == other); }
};
