#pragma once

#include <functional>
#include <memory>

#include "console/OperatorPanel.h"

class TForm1;
class TForm2;

// The door on the main window: owns the window and its settings dialog for the run, reaches
// their controls by meaning and acts through them as the operator does (a dial set as if
// dragged, a button clicked, a code ticked in the list, a text typed into its field).
class FormOperatorPanel : public OperatorPanel {
public:
    FormOperatorPanel(const ConsoleOptions& options, std::unique_ptr<SettingsStore> store,
                      std::function<void()> quit);
    ~FormOperatorPanel() override;

    void SetValue(Mirror mirror, double value) override;
    QString MirrorText(Mirror mirror) const override;
    std::pair<double, double> Range(Mirror mirror) const override;
    void Click(ControlButton button) override;
    bool ButtonDown(ControlButton button) const override;
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
    void SetSlowInit(bool on) override;
    bool SlowInit() const override;
    void SetObdProtocols(ObdProtocols protocols) override;
    ObdProtocols GetObdProtocols() const override;
    void SetInitTiming(SlowInitTiming timing) override;
    SlowInitTiming InitTiming() const override;
    void SetReplyTiming(ReplyTiming timing) override;
    ReplyTiming Timing() const override;
    void SetFraming(ReplyFraming framing) override;
    ReplyFraming Framing(EcuVariant variant) const override;
    QStringList TripTexts() const override;
    QString ReportJson() const override;
    QString PortState() const override;
    void ClearReport() override;
    QStringList CycleWords() const override;
    QString StartCycle(const QString& wordOrPath) override;
    bool StopCycle() override;
    QString CycleJson() const override;
    QString EnterDeviceFigures(const EnteredFigures& figures) override;
    QString VerdictJson() const override;
    QString SaveCycleReport(const QString& path) override;

    void Quit() override;

    void Show() override;
    void Close() override;
    void WriteToPort(const std::uint8_t* bytes, int count) override;
    void Report(const QString& message) override;
    LinkMonitor& Monitor() override;
    ReplyLine& Replies() override;
    QString PseudoTerminalPath() const override;

private:
    std::unique_ptr<TForm1> form_;
    std::unique_ptr<TForm2> settings_;
    std::function<void()> quit_;
};
