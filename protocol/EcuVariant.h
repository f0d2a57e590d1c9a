#pragma once

#include <array>
#include <optional>
#include <string_view>

// The emulated controller type, in toolbar order. Exactly one is current; Ja5 at start.
enum class EcuVariant {
    Ja5,  // "Январь 5.1(R-83)"
    B1,   // "Bosch M1.5.4N(Euro-2)"
    Ja7,  // "Январь 7.2"
    B7,   // "Bosch M7.9.7"
    BMP,  // "Bosch MP7.0"
    b17,  // "Bosch ME17.9.7"
};

inline constexpr std::array<EcuVariant, 6> kEcuVariants{EcuVariant::Ja5, EcuVariant::B1, EcuVariant::Ja7,
                                                        EcuVariant::B7,  EcuVariant::BMP, EcuVariant::b17};

// The type's short name: the toolbar button's object name, the word of the control
// interface, the suffix of its settings keys and the type named in a saved trace.
constexpr const char* ShortName(EcuVariant variant) {
    constexpr const char* names[] = {"Ja5", "B1", "Ja7", "B7", "BMP", "b17"};
    return names[static_cast<int>(variant)];
}

// The type a short name stands for; the names are case-sensitive (B17 is none).
constexpr std::optional<EcuVariant> VariantByShortName(std::string_view name) {
    for (const EcuVariant variant : kEcuVariants) {
        if (name == ShortName(variant)) {
            return variant;
        }
    }
    return std::nullopt;
}
