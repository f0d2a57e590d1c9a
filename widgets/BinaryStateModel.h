#pragma once

#include <cstdint>
#include <functional>
#include <vector>

// How the mouse changes a two-state widget.
enum TUiMode { mButton, mSwitch, mIndicator, mRadioButton };

// The state of a lamp, switch or two-state button: Checked, and the group's bit set
// StatusInt in which this widget owns bit StatusBit. Widgets of one window with the same
// non-zero GroupIndex share StatusInt, which gives radio buttons.
class BinaryStateModel {
public:
    struct Hooks {
        std::function<void()> statusChanged;
        std::function<void()> statusIntChanged;
        // The other members of this widget's group (same window, same GroupIndex).
        std::function<std::vector<BinaryStateModel*>()> groupPeers;
    };

    BinaryStateModel() = default;
    BinaryStateModel(const BinaryStateModel&) = delete;
    BinaryStateModel& operator=(const BinaryStateModel&) = delete;

    void SetHooks(Hooks hooks) { hooks_ = std::move(hooks); }

    bool Checked() const { return checked_; }
    TUiMode Mode() const { return mode_; }
    std::int32_t StatusInt() const { return statusInt_; }
    int StatusBit() const { return statusBit_; }
    int GroupIndex() const { return groupIndex_; }
    bool Pressed() const { return pressed_; }
    // The lowest set bit of StatusInt, 32 when none is set.
    int LowestBit() const { return lowestBit_; }

    void SetChecked(bool checked);
    void SetStatusInt(std::int32_t status);
    // mButton clears StatusInt, mRadioButton sets it to 1.
    void SetMode(TUiMode mode);
    // Only 0…31; Checked follows StatusInt.
    void SetStatusBit(int bit);
    // Only values >= 0; joining a group takes over the group's StatusInt.
    void SetGroupIndex(int index);

    // The left mouse button over the widget.
    void Press();
    void Release();

private:
    std::uint32_t Bit() const { return std::uint32_t{1} << statusBit_; }
    void ApplyChecked(bool checked);
    std::vector<BinaryStateModel*> Peers() const;

    Hooks hooks_;
    bool checked_ = false;
    TUiMode mode_ = mIndicator;
    std::int32_t statusInt_ = 0;
    int statusBit_ = 0;
    int groupIndex_ = 0;
    bool pressed_ = false;
    int lowestBit_ = 32;
};
