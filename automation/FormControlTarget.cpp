#include "automation/FormControlTarget.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>
#include <utility>

#include "console/EcuVariantSelector.h"
#include "console/LinkMonitor.h"
#include "console/TForm1.h"
#include "widgets/TUiAnalogCControl.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiLED.h"
#include "widgets/TUiValueInd.h"

namespace {

struct MirrorControl {
    Mirror mirror;
    const char* control;  // empty for the derived consumption
    const char* edit;
};

const MirrorControl kMirrors[] = {
    {Mirror::Speed, "UiDial1", "Edit9"},          {Mirror::Coolant, "UiVSlider1", "Edit10"},
    {Mirror::EngineSpeed, "UiDial2", "Edit11"},   {Mirror::Throttle, "UiVSlider2", "Edit12"},
    {Mirror::IdleValve, "UiVSlider3", "Edit13"},  {Mirror::FuelFlow, "UiVSlider5", "Edit14"},
    {Mirror::AirFlow, "UiVSlider4", "Edit15"},    {Mirror::Voltage, "UiDial3", "Edit16"},
    {Mirror::IdleSpeed, "UiDial5", "Edit18"},     {Mirror::Injection, "UiVSlider9", "Edit24"},
    {Mirror::Consumption, "", "Edit1"},
};

const MirrorControl& Find(Mirror mirror) {
    for (const auto& entry : kMirrors) {
        if (entry.mirror == mirror) return entry;
    }
    throw std::logic_error("no control for this value");
}

const char* ButtonName(ControlButton button) {
    switch (button) {
    case ControlButton::Ignition: return "UiColBitBtn2";
    case ControlButton::Engine: return "UiColBitBtn1";
    case ControlButton::Ignition2: return "UiColBitBtn3";
    case ControlButton::Engine2: return "UiColBitBtn4";
    case ControlButton::Trip: return "UiColBitBtn7";
    case ControlButton::Curve: return "UiColBitBtn11";
    case ControlButton::ClearDtc: return "UiColBitBtn8";
    }
    return "";
}

const char* IdentEditName(IdentField field) {
    switch (field) {
    case IdentField::RomVersion: return "Edit2";
    case IdentField::Vin: return "Edit37";
    case IdentField::EcuSerialNumber: return "Edit3";
    case IdentField::EngineId: return "Edit4";
    case IdentField::ProgrammingDate: return "Edit5";
    case IdentField::HardwareNumber: return "Edit6";
    case IdentField::SoftwareNumber: return "Edit7";
    }
    return "";
}

const char* LampName(Lamp lamp) {
    switch (lamp) {
    case Lamp::UiLED1: return "UiLED1";
    case Lamp::UiLED2: return "UiLED2";
    case Lamp::UiLED3: return "UiLED3";
    case Lamp::UiLED4: return "UiLED4";
    case Lamp::UiLED5: return "UiLED5";
    case Lamp::ESUDCONTROL1ON: return "ESUDCONTROL1ON";
    case Lamp::ESUDCONTROL1OFF: return "ESUDCONTROL1OFF";
    case Lamp::ESUDCONTROL2ON: return "ESUDCONTROL2ON";
    case Lamp::ESUDCONTROL2OFF: return "ESUDCONTROL2OFF";
    case Lamp::ESUDCONTROL5ON: return "ESUDCONTROL5ON";
    case Lamp::ESUDCONTROL5OFF: return "ESUDCONTROL5OFF";
    case Lamp::ESUDCONTROL6ON: return "ESUDCONTROL6ON";
    case Lamp::ESUDCONTROL6OFF: return "ESUDCONTROL6OFF";
    case Lamp::ESUDCONTROL7ON: return "ESUDCONTROL7ON";
    case Lamp::ESUDCONTROL7OFF: return "ESUDCONTROL7OFF";
    case Lamp::ESUDCONTROL8ON: return "ESUDCONTROL8ON";
    case Lamp::ESUDCONTROL8OFF: return "ESUDCONTROL8OFF";
    }
    return "";
}

}  // namespace

FormControlTarget::FormControlTarget(TForm1& form, std::function<void()> quit)
    : form_(form), quit_(std::move(quit)) {}

template <typename T>
T* FormControlTarget::Child(const char* name) const {
    T* child = form_.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr) {
        throw std::logic_error(std::string("the window has no control ") + name);
    }
    return child;
}

void FormControlTarget::SetValue(Mirror mirror, double value) {
    // The control clamps and snaps to its grid, then runs its change handler only when its
    // grid position moved, exactly as after a drag.
    Child<TUiAnalogCControl>(Find(mirror).control)->SetValue(static_cast<float>(value));
}

QString FormControlTarget::MirrorText(Mirror mirror) const {
    return Child<QLineEdit>(Find(mirror).edit)->text();
}

void FormControlTarget::Click(ControlButton button) {
    Child<TUiColBitBtn>(ButtonName(button))->Click();
}

void FormControlTarget::SelectVariant(EcuVariant variant) {
    form_.VariantSelector().Button(variant)->click();
}

EcuVariant FormControlTarget::Variant() const {
    return form_.VariantSelector().Current();
}

int FormControlTarget::TroubleCodeCount() const {
    return Child<QListWidget>("CheckListBox1")->count();
}

void FormControlTarget::SetTroubleCodeTicked(int index, bool ticked) {
    Child<QListWidget>("CheckListBox1")->item(index)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

bool FormControlTarget::TroubleCodeTicked(int index) const {
    return Child<QListWidget>("CheckListBox1")->item(index)->checkState() == Qt::Checked;
}

void FormControlTarget::SetIdentText(IdentField field, const QString& text) {
    Child<QLineEdit>(IdentEditName(field))->setText(text);
}

QString FormControlTarget::IdentText(IdentField field) const {
    return Child<QLineEdit>(IdentEditName(field))->text();
}

bool FormControlTarget::LampOn(Lamp lamp) const {
    return Child<TUiLED>(LampName(lamp))->Checked();
}

QStringList FormControlTarget::TripTexts() const {
    return {Child<TUiValueInd>("UiValueIndPut")->ValueText().trimmed(),
            Child<TUiValueInd>("UiValueIndRashod")->ValueText().trimmed(),
            Child<TUiValueInd>("UiValueIndSredSkor")->ValueText().trimmed(),
            Child<TUiValueInd>("UiValueIndSredRash")->ValueText().trimmed(),
            Child<QLineEdit>("Vremy")->text().trimmed()};
}

QString FormControlTarget::ReportJson() const {
    return QString::fromStdString(form_.Monitor().Report().Json());
}

void FormControlTarget::ClearReport() {
    form_.Monitor().ClearReport();
}

void FormControlTarget::Quit() {
    // Later, from the event loop: the answer goes out first.
    QTimer::singleShot(0, &form_, quit_);
}
