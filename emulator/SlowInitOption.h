#pragma once

#include <array>
#include <cstddef>

#include "protocol/EcuVariant.h"

// Which controller types answer a slow init at their own address. Off for every type until
// the console says otherwise.
class SlowInitOption {
public:
    bool Enabled(EcuVariant variant) const { return enabled_[Index(variant)]; }
    void Set(EcuVariant variant, bool on) { enabled_[Index(variant)] = on; }
    void SetAll(bool on) { enabled_.fill(on); }

private:
    static std::size_t Index(EcuVariant variant) { return static_cast<std::size_t>(variant); }

    std::array<bool, 6> enabled_{};
};
