#pragma once

#include "widgets/BinaryStateModel.h"
#include "widgets/BlinkService.h"

#include <QWidget>

// A two-state widget (lamp, switch, colour button): never takes the focus. The mouse changes
// the state by Mode; setting Checked from code never runs OnClick.
class TUiBinGControl : public QWidget, public BlinkClient {
    Q_OBJECT
public:
    explicit TUiBinGControl(QWidget* parent = nullptr);
    ~TUiBinGControl() override;

    bool Checked() const { return model_.Checked(); }
    void SetChecked(bool checked) { model_.SetChecked(checked); }
    TUiMode Mode() const { return model_.Mode(); }
    void SetMode(TUiMode mode) { model_.SetMode(mode); }
    int StatusInt() const { return model_.StatusInt(); }
    void SetStatusInt(int status) { model_.SetStatusInt(status); }
    int StatusBit() const { return model_.StatusBit(); }
    void SetStatusBit(int bit) { model_.SetStatusBit(bit); }
    int GroupIndex() const { return model_.GroupIndex(); }
    void SetGroupIndex(int index) { model_.SetGroupIndex(index); }
    int LowestBit() const { return model_.LowestBit(); }
    bool Pressed() const { return model_.Pressed(); }

    bool Flashing() const { return flashing_; }
    void SetFlashing(bool flashing);
    TUiFrequency Frequency() const { return frequency_; }
    void SetFrequency(TUiFrequency frequency);
    // Blinking now: checked and flashing.
    bool Blinking() const { return Checked() && flashing_; }
    // The on phase of blinking (always on while not blinking).
    bool BlinkPhaseOn() const { return !Blinking() || blinkOn_; }
    // The state as it is shown now: checked, and in the on phase when blinking.
    bool Lit() const { return Checked() && BlinkPhaseOn(); }

    void SetEnabled(bool enabled) { setEnabled(enabled); }

    // Exactly what an operator's click does: press and release by Mode, then OnClick.
    void Click();

    void ToggleBlinkPhase() override;

signals:
    void OnStatusChanged();
    void OnStatusIntChanged();
    // A complete left press and release over the widget; runs after the release.
    void OnClick();

protected:
    BinaryStateModel& Model() { return model_; }
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool Hovered() const { return hovered_; }

private:
    void StatusChanged();
    void UpdateBlinking();
    std::vector<BinaryStateModel*> GroupPeers() const;

    BinaryStateModel model_;
    bool flashing_ = false;
    TUiFrequency frequency_ = ff1Hz;
    bool blinkOn_ = true;
    bool hovered_ = false;
};
