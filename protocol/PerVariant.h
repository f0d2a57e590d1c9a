#pragma once

#include <array>
#include <cstddef>

#include "protocol/EcuVariant.h"

// One value for each controller type, in toolbar order; value-initialised (false, the first
// enumerator) for all six unless set. Written out in braces it lists Ja5 B1 Ja7 B7 BMP b17.
template <typename T>
struct PerVariant {
    std::array<T, kEcuVariants.size()> byType{};

    const T& For(EcuVariant variant) const { return byType[Index(variant)]; }
    void Set(EcuVariant variant, T value) { byType[Index(variant)] = value; }
    void SetAll(T value) { byType.fill(value); }

    bool operator==(const PerVariant& other) const { return byType == other.byType; }
    bool operator!=(const PerVariant& other) const { return byType != other.byType; }

private:
    static std::size_t Index(EcuVariant variant) { return static_cast<std::size_t>(variant); }
};
