#pragma once

#include <map>

#include "console/ControlButton.h"
#include "emulator/EcuEnvironment.h"

class QLineEdit;
class QObject;
class TUiAnalogCControl;
class TUiColBitBtn;
class TUiLED;

// The window's controls by meaning, as the window built them. Adding a control gives it its
// object name from the control table, so a name and the control behind it cannot disagree.
// Asking for a control the window never added throws std::logic_error with its name.
class OperatorControls {
public:
    void AddInstrument(Mirror mirror, TUiAnalogCControl* instrument);
    void AddMirror(Mirror mirror, QLineEdit* edit);
    void AddButton(ControlButton button, TUiColBitBtn* control);
    void AddLamp(Lamp lamp, TUiLED* led);
    void AddIdent(IdentField field, QLineEdit* edit);

    TUiAnalogCControl* Instrument(Mirror mirror) const;
    QLineEdit* MirrorEdit(Mirror mirror) const;
    TUiColBitBtn* Button(ControlButton button) const;
    TUiLED* LampLed(Lamp lamp) const;
    QLineEdit* IdentEdit(IdentField field) const;

    const std::map<Mirror, QLineEdit*>& Mirrors() const { return mirrors_; }
    const std::map<Lamp, TUiLED*>& Lamps() const { return lamps_; }
    const std::map<IdentField, QLineEdit*>& Idents() const { return idents_; }

private:
    std::map<Mirror, TUiAnalogCControl*> instruments_;
    std::map<Mirror, QLineEdit*> mirrors_;
    std::map<ControlButton, TUiColBitBtn*> buttons_;
    std::map<Lamp, TUiLED*> lamps_;
    std::map<IdentField, QLineEdit*> idents_;
};
