#include "console/FormOperatorPanel.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <QToolButton>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <string>
#include <utility>

#include "console/ControlTable.h"
#include "driveview/CycleChoice.h"
#include "driveview/CycleDriver.h"
#include "driveview/CyclePanel.h"
#include "drive/DriveJson.h"
#include "console/EcuVariantSelector.h"
#include "monitor/LinkMonitor.h"
#include "console/ObdSupport.h"
#include "console/PortKeeper.h"
#include "line/ReplyLine.h"
#include "console/TForm1.h"
#include "console/TForm2.h"
#include "console/TripCheckPanel.h"
#include "emulator/EcuEmulator.h"
#include "serial/TSerComm.h"
#include "widgets/TUiAnalogCControl.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiLED.h"
#include "widgets/TUiValueInd.h"

std::unique_ptr<OperatorPanel> OperatorPanel::Open(const ConsoleOptions& options, std::unique_ptr<SettingsStore> store,
                                                   std::function<void()> quit) {
    return std::make_unique<FormOperatorPanel>(options, std::move(store), std::move(quit));
}

FormOperatorPanel::FormOperatorPanel(const ConsoleOptions& options, std::unique_ptr<SettingsStore> store,
                                     std::function<void()> quit)
    : form_(std::make_unique<TForm1>(options, std::move(store))), quit_(std::move(quit)) {
    settings_ = std::make_unique<TForm2>(form_->Store(), form_->Reporter());
    form_->SetSettingsDialog(settings_.get());
}

// The dialog goes before the window it was made for.
FormOperatorPanel::~FormOperatorPanel() {
    settings_.reset();
    form_.reset();
}

void FormOperatorPanel::SetValue(Mirror mirror, double value) {
    const ControlTable::ValueRow& row = ControlTable::RowOf(mirror);
    if (!row.settable) {
        throw std::logic_error(std::string(row.word) + " follows from other values and is not set");
    }
    if (!(std::fabs(value) <= std::numeric_limits<float>::max())) {
        throw std::invalid_argument(std::string(row.word) + " takes a finite number");
    }
    // The control clamps and snaps to its grid, then runs its change handler only when its
    // grid position moved, exactly as after a drag.
    form_->controls_.Instrument(mirror)->SetValue(static_cast<float>(value));
}

std::pair<double, double> FormOperatorPanel::Range(Mirror mirror) const {
    const TSignalSettings& signal = form_->controls_.Instrument(mirror)->SignalSettings();
    return {signal.ValueFrom(), signal.ValueTo()};
}

QString FormOperatorPanel::MirrorText(Mirror mirror) const {
    return form_->controls_.MirrorEdit(mirror)->text();
}

void FormOperatorPanel::Click(ControlButton button) {
    form_->controls_.Button(button)->Click();
}

bool FormOperatorPanel::ButtonDown(ControlButton button) const {
    return form_->controls_.Button(button)->Checked();
}

void FormOperatorPanel::SelectVariant(EcuVariant variant) {
    form_->variants_->Button(variant)->click();
}

EcuVariant FormOperatorPanel::Variant() const {
    return form_->variants_->Current();
}

int FormOperatorPanel::TroubleCodeCount() const {
    return form_->CheckListBox1_->count();
}

void FormOperatorPanel::SetTroubleCodeTicked(int index, bool ticked) {
    form_->CheckListBox1_->item(index)->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
}

bool FormOperatorPanel::TroubleCodeTicked(int index) const {
    return form_->CheckListBox1_->item(index)->checkState() == Qt::Checked;
}

void FormOperatorPanel::SetIdentText(IdentField field, const QString& text) {
    form_->controls_.IdentEdit(field)->setText(text);
}

QString FormOperatorPanel::IdentText(IdentField field) const {
    return form_->controls_.IdentEdit(field)->text();
}

bool FormOperatorPanel::LampOn(Lamp lamp) const {
    return form_->controls_.LampLed(lamp)->Checked();
}

void FormOperatorPanel::SetObdEnabled(bool on) {
    form_->obd_->SetAll(on);
}

bool FormOperatorPanel::ObdEnabled() const {
    return form_->obd_->CurrentAnswers();
}

void FormOperatorPanel::SetSlowInit(bool on) {
    form_->emulator_->SlowInit().SetAll(on);
}

bool FormOperatorPanel::SlowInit() const {
    return form_->emulator_->SlowInit().For(Variant());
}

void FormOperatorPanel::SetObdProtocols(ObdProtocols protocols) {
    form_->emulator_->SetObdProtocols(protocols);
}

ObdProtocols FormOperatorPanel::GetObdProtocols() const {
    return form_->emulator_->GetObdProtocols();
}

void FormOperatorPanel::SetInitTiming(SlowInitTiming timing) {
    form_->emulator_->InitTiming() = timing;
}

SlowInitTiming FormOperatorPanel::InitTiming() const {
    return form_->emulator_->InitTiming();
}

void FormOperatorPanel::SetReplyTiming(ReplyTiming timing) {
    form_->replyLine_->SetTiming(timing);
}

ReplyTiming FormOperatorPanel::Timing() const {
    return form_->replyLine_->Timing();
}

void FormOperatorPanel::SetFraming(ReplyFraming framing) {
    form_->framing_.SetAll(framing);
}

ReplyFraming FormOperatorPanel::Framing(EcuVariant variant) const {
    return form_->framing_.For(variant);
}

QStringList FormOperatorPanel::TripTexts() const {
    const TripCheckPanel::Controls& shown = form_->trip_->Widgets();
    return {shown.UiValueIndPut->ValueText().trimmed(), shown.UiValueIndRashod->ValueText().trimmed(),
            shown.UiValueIndSredSkor->ValueText().trimmed(), shown.UiValueIndSredRash->ValueText().trimmed(),
            shown.Vremy->text().trimmed()};
}

QString FormOperatorPanel::ReportJson() const {
    return QString::fromStdString(form_->monitor_->Report().Json());
}

QString FormOperatorPanel::PortState() const {
    return form_->portKeeper_->State();
}

void FormOperatorPanel::ClearReport() {
    form_->monitor_->ClearReport();
}

QStringList FormOperatorPanel::CycleWords() const {
    return CycleChoice::Words();
}

QString FormOperatorPanel::StartCycle(const QString& wordOrPath) {
    return form_->StartCycle(wordOrPath);
}

bool FormOperatorPanel::StopCycle() {
    if (!form_->Cycles().Running()) {
        return false;
    }
    form_->Cycles().Stop();
    return true;
}

QString FormOperatorPanel::CycleJson() const {
    return QString::fromStdString(DriveJson::Status(form_->Cycles().Run()));
}

QString FormOperatorPanel::EnterDeviceFigures(const EnteredFigures& figures) {
    if (!form_->Cycles().Run().Cycle()) {
        return QStringLiteral("no cycle has been started");
    }
    form_->Cycles().Run().Enter(figures);
    form_->CycleControls().Refresh();
    return {};
}

QString FormOperatorPanel::VerdictJson() const {
    const CycleRun& run = form_->Cycles().Run();
    return QString::fromStdString(DriveJson::VerdictLine(run.CurrentVerdict(), run.GetTolerances()));
}

QString FormOperatorPanel::SaveCycleReport(const QString& path) {
    return form_->SaveCycleReport(path);
}

void FormOperatorPanel::Quit() {
    // Later, from the event loop: the answer goes out first.
    QTimer::singleShot(0, form_.get(), quit_);
}

void FormOperatorPanel::Show() {
    form_->show();
}

void FormOperatorPanel::Close() {
    form_->close();
}

void FormOperatorPanel::WriteToPort(const std::uint8_t* bytes, int count) {
    form_->serComm1_->WriteBuf(bytes, count);
}

void FormOperatorPanel::Report(const QString& message) {
    form_->reporter_.Report(form_.get(), message);
}

LinkMonitor& FormOperatorPanel::Monitor() {
    return *form_->monitor_;
}

ReplyLine& FormOperatorPanel::Replies() {
    return *form_->replyLine_;
}

QString FormOperatorPanel::PseudoTerminalPath() const {
    return QString::fromStdString(form_->serComm1_->PseudoTerminalPath());
}
