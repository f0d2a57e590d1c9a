#include "console/OperatorControls.h"

#include <QLineEdit>
#include <stdexcept>
#include <string>

#include "console/ControlTable.h"
#include "widgets/TUiAnalogCControl.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiLED.h"

namespace {

template <typename Key, typename Widget>
void Add(std::map<Key, Widget*>& controls, Key key, Widget* widget, const char* name) {
    widget->setObjectName(QString::fromLatin1(name));
    controls[key] = widget;
}

template <typename Key, typename Widget>
Widget* Get(const std::map<Key, Widget*>& controls, Key key, const char* name) {
    const auto it = controls.find(key);
    if (it == controls.end()) {
        throw std::logic_error(std::string("the window has no control ") + name);
    }
    return it->second;
}

}  // namespace

void OperatorControls::AddInstrument(Mirror mirror, TUiAnalogCControl* instrument) {
    Add(instruments_, mirror, instrument, ControlTable::RowOf(mirror).instrument);
}

void OperatorControls::AddMirror(Mirror mirror, QLineEdit* edit) {
    Add(mirrors_, mirror, edit, ControlTable::RowOf(mirror).edit);
}

void OperatorControls::AddButton(ControlButton button, TUiColBitBtn* control) {
    Add(buttons_, button, control, ControlTable::RowOf(button).name);
}

void OperatorControls::AddLamp(Lamp lamp, TUiLED* led) {
    Add(lamps_, lamp, led, ControlTable::RowOf(lamp).name);
}

void OperatorControls::AddIdent(IdentField field, QLineEdit* edit) {
    Add(idents_, field, edit, ControlTable::RowOf(field).edit);
}

TUiAnalogCControl* OperatorControls::Instrument(Mirror mirror) const {
    return Get(instruments_, mirror, ControlTable::RowOf(mirror).instrument);
}

QLineEdit* OperatorControls::MirrorEdit(Mirror mirror) const {
    return Get(mirrors_, mirror, ControlTable::RowOf(mirror).edit);
}

TUiColBitBtn* OperatorControls::Button(ControlButton button) const {
    return Get(buttons_, button, ControlTable::RowOf(button).name);
}

TUiLED* OperatorControls::LampLed(Lamp lamp) const {
    return Get(lamps_, lamp, ControlTable::RowOf(lamp).name);
}

QLineEdit* OperatorControls::IdentEdit(IdentField field) const {
    return Get(idents_, field, ControlTable::RowOf(field).edit);
}
