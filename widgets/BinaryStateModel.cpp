#include "widgets/BinaryStateModel.h"

namespace {

// One group update at a time for the whole program: members set by the update do not
// start updates of their own.
bool groupUpdateUnderWay = false;

int LowestSetBit(std::uint32_t bits) {
    for (int bit = 0; bit < 32; ++bit) {
        if (bits & (std::uint32_t{1} << bit)) {
            return bit;
        }
    }
    return 32;
}

}  // namespace

void BinaryStateModel::ApplyChecked(bool checked) {
    if (checked == checked_) {
        return;
    }
    checked_ = checked;
    if (hooks_.statusChanged) {
        hooks_.statusChanged();
    }
}

void BinaryStateModel::SetChecked(bool checked) {
    if (checked == checked_) {
        return;
    }
    checked_ = checked;
    const std::uint32_t status = static_cast<std::uint32_t>(statusInt_);
    if (checked) {
        SetStatusInt(static_cast<std::int32_t>(mode_ == mRadioButton ? Bit() : (status | Bit())));
    } else if (mode_ != mRadioButton) {
        SetStatusInt(static_cast<std::int32_t>(status & ~Bit()));
    }
    if (hooks_.statusChanged) {
        hooks_.statusChanged();
    }
}

void BinaryStateModel::SetStatusInt(std::int32_t status) {
    if (status == statusInt_) {
        return;
    }
    statusInt_ = status;
    ApplyChecked((static_cast<std::uint32_t>(status) & Bit()) != 0);
    lowestBit_ = LowestSetBit(static_cast<std::uint32_t>(status));
    if (hooks_.statusIntChanged) {
        hooks_.statusIntChanged();
    }
    if (groupIndex_ != 0 && !groupUpdateUnderWay) {
        groupUpdateUnderWay = true;
        for (BinaryStateModel* peer : Peers()) {
            peer->SetStatusInt(status);
        }
        groupUpdateUnderWay = false;
    }
}

void BinaryStateModel::SetMode(TUiMode mode) {
    if (mode == mode_) {
        return;
    }
    mode_ = mode;
    if (mode == mButton) {
        SetStatusInt(0);
    } else if (mode == mRadioButton) {
        SetStatusInt(1);
    }
}

void BinaryStateModel::SetStatusBit(int bit) {
    if (bit < 0 || bit > 31 || bit == statusBit_) {
        return;
    }
    statusBit_ = bit;
    ApplyChecked((static_cast<std::uint32_t>(statusInt_) & Bit()) != 0);
}

void BinaryStateModel::SetGroupIndex(int index) {
    if (index < 0 || index == groupIndex_) {
        return;
    }
    groupIndex_ = index;
    if (index == 0) {
        return;
    }
    const std::vector<BinaryStateModel*> peers = Peers();
    if (!peers.empty()) {
        SetStatusInt(peers.front()->StatusInt());
    }
}

void BinaryStateModel::Press() {
    pressed_ = true;
    switch (mode_) {
    case mButton:
        SetChecked(true);
        break;
    case mSwitch:
        SetChecked(!checked_);
        break;
    case mRadioButton:
        SetStatusInt(static_cast<std::int32_t>(Bit()));
        break;
    case mIndicator:
        break;
    }
}

void BinaryStateModel::Release() {
    pressed_ = false;
    if (mode_ == mButton) {
        SetChecked(false);
    }
}

std::vector<BinaryStateModel*> BinaryStateModel::Peers() const {
    if (!hooks_.groupPeers) {
        return {};
    }
    std::vector<BinaryStateModel*> peers;
    for (BinaryStateModel* peer : hooks_.groupPeers()) {
        if (peer != this && peer->groupIndex_ == groupIndex_) {
            peers.push_back(peer);
        }
    }
    return peers;
}
