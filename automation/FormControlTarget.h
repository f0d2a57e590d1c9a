#pragma once

#include <functional>

#include "automation/ControlTarget.h"

class TForm1;

// The control interface's hands on the main window: reaches its controls by meaning and acts
// through them as the operator does (a dial set as if dragged, a button clicked, a code
// ticked in the list, a text typed into its field).
class FormControlTarget : public ControlTarget {
public:
    // quit runs after the answer to "quit" has been sent.
    FormControlTarget(TForm1& form, std::function<void()> quit);

    void SetValue(Mirror mirror, double value) override;
    QString MirrorText(Mirror mirror) const override;
    void Click(ControlButton button) override;
    void SelectVariant(EcuVariant variant) override;
    EcuVariant Variant() const override;
    int TroubleCodeCount() const override;
    void SetTroubleCodeTicked(int index, bool ticked) override;
    bool TroubleCodeTicked(int index) const override;
    void SetIdentText(IdentField field, const QString& text) override;
    QString IdentText(IdentField field) const override;
    bool LampOn(Lamp lamp) const override;
    void SetObdEnabled(bool on) override;
    bool ObdEnabled() const override;
    void SetReplyTiming(ReplyTiming timing) override;
    ReplyTiming Timing() const override;
    void SetFraming(ReplyFraming framing) override;
    ReplyFraming Framing(EcuVariant variant) const override;
    QStringList TripTexts() const override;
    QString ReportJson() const override;
    void ClearReport() override;
    void Quit() override;

private:
    TForm1& form_;
    std::function<void()> quit_;
};
