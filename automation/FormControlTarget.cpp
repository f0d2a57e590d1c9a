#include "automation/FormControlTarget.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>
#include <stdexcept>
#include <string>
#include <utility>

#include "console/ControlTable.h"
#include "console/EcuVariantSelector.h"
#include "monitor/LinkMonitor.h"
#include "console/ObdSupport.h"
#include "line/ReplyLine.h"
#include "console/TForm1.h"
#include "console/TripCheckPanel.h"
#include "widgets/TUiAnalogCControl.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiLED.h"
#include "widgets/TUiValueInd.h"

FormControlTarget::FormControlTarget(TForm1& form, std::function<void()> quit)
    : form_(form), quit_(std::move(quit)) {}

void FormControlTarget::SetValue(Mirror mirror, double value) {
    const ControlTable::ValueRow& row = ControlTable::RowOf(mirror);
    if (!row.settable) {
        throw std::logic_error(std::string(row.word) + " follows from other values and is not set");
    }
    // The control clamps and snaps to its grid, then runs its change handler only when its
    // grid position moved, exactly as after a drag.
    form_.Controls().Instrument(mirror)->SetValue(static_cast<float>(value));
}

QString FormControlTarget::MirrorText(Mirror mirror) const {
    return form_.Controls().MirrorEdit(mirror)->text();
}

void FormControlTarget::Click(ControlButton button) {
    form_.Controls().Button(button)->Click();
}

void FormControlTarget::SelectVariant(EcuVariant variant) {
    form_.VariantSelector().Button(variant)->click();
}

EcuVariant FormControlTarget::Variant() const {
    return form_.VariantSelector().Current();
}

int FormControlTarget::TroubleCodeCount() const {
    return form_.TroubleCodes()->count();
}

void FormControlTarget::SetTroubleCodeTicked(int index, bool ticked) {
    form_.TroubleCodes()->item(index)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

bool FormControlTarget::TroubleCodeTicked(int index) const {
    return form_.TroubleCodes()->item(index)->checkState() == Qt::Checked;
}

void FormControlTarget::SetIdentText(IdentField field, const QString& text) {
    form_.Controls().IdentEdit(field)->setText(text);
}

QString FormControlTarget::IdentText(IdentField field) const {
    return form_.Controls().IdentEdit(field)->text();
}

bool FormControlTarget::LampOn(Lamp lamp) const {
    return form_.Controls().LampLed(lamp)->Checked();
}

void FormControlTarget::SetObdEnabled(bool on) {
    form_.Obd().SetAll(on);
}

bool FormControlTarget::ObdEnabled() const {
    return form_.Obd().CurrentAnswers();
}

void FormControlTarget::SetReplyTiming(ReplyTiming timing) {
    form_.Replies().SetTiming(timing);
}

ReplyTiming FormControlTarget::Timing() const {
    return form_.Replies().Timing();
}

void FormControlTarget::SetFraming(ReplyFraming framing) {
    form_.Framing().SetAll(framing);
}

ReplyFraming FormControlTarget::Framing(EcuVariant variant) const {
    return form_.Framing().For(variant);
}

QStringList FormControlTarget::TripTexts() const {
    const TripCheckPanel::Controls& shown = form_.TripCheckControls().Widgets();
    return {shown.UiValueIndPut->ValueText().trimmed(), shown.UiValueIndRashod->ValueText().trimmed(),
            shown.UiValueIndSredSkor->ValueText().trimmed(), shown.UiValueIndSredRash->ValueText().trimmed(),
            shown.Vremy->text().trimmed()};
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
