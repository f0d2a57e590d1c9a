// Control lines, as a bench script sends them, through the real parser, executor and reply
// faults, against a stand-in console that holds what the window would hold. The stand-in
// keeps the console's contract: a value that cannot be set is refused as the window refuses
// it, and anything the parser should never let through (an index off the list, a timing out
// of range, a value that is no number) stops the run as the window would crash or misbehave.
// Every answer must be one line starting "OK" or "ERR".

#include <QCoreApplication>
#include <QMap>
#include <QString>
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <stdexcept>
#include <string>
#include <utility>

#include "automation/ControlCommandExecutor.h"
#include "automation/ReplyFaults.h"
#include "console/ControlTable.h"
#include "console/OperatorPanel.h"
#include "monitor/LinkMonitor.h"
#include "protocol/KwpFrame.h"

namespace {

[[noreturn]] void Broken(const char* what) {
    std::fprintf(stderr, "control line fuzz: %s\n", what);
    std::abort();
}

class StandInConsole : public OperatorPanel {
public:
    static constexpr int kTroubleCodes = 12;

    void SetValue(Mirror mirror, double value) override {
        const ControlTable::ValueRow& row = ControlTable::RowOf(mirror);
        if (!row.settable)
            throw std::logic_error(std::string(row.word) + " follows from other values and is not set");
        if (!std::isfinite(value)) Broken("a value that is no number reached the console");
        const auto [low, high] = Range(mirror);
        if (value < low || value > high) Broken("a value outside its instrument reached the console");
        mirrors_[mirror] = QString::number(value, 'f', row.Decimals());
    }
    QString MirrorText(Mirror mirror) const override { return mirrors_.value(mirror, QStringLiteral("0")); }
    // One span for every instrument, as wide as the widest: the parser checks against it.
    std::pair<double, double> Range(Mirror) const override { return {-40.0, 8000.0}; }
    void Click(ControlButton button) override { clicks_[static_cast<std::size_t>(button) % clicks_.size()] ^= true; }
    bool ButtonDown(ControlButton button) const override {
        return clicks_[static_cast<std::size_t>(button) % clicks_.size()];
    }
    void SelectVariant(EcuVariant variant) override { variant_ = variant; }
    EcuVariant Variant() const override { return variant_; }
    int TroubleCodeCount() const override { return kTroubleCodes; }
    void SetTroubleCodeTicked(int index, bool ticked) override { ticked_[Checked(index)] = ticked; }
    bool TroubleCodeTicked(int index) const override { return ticked_[Checked(index)]; }
    void SetIdentText(IdentField field, const QString& text) override { idents_[field] = text; }
    QString IdentText(IdentField field) const override { return idents_.value(field); }
    bool LampOn(Lamp lamp) const override { return static_cast<int>(lamp) % 2 == 0; }
    void SetObdEnabled(bool on) override { obd_ = on; }
    bool ObdEnabled() const override { return obd_; }
    void SetReplyTiming(ReplyTiming timing) override {
        if (timing.p2Ms < 0 || timing.p2Ms > ReplyTiming::kMaxP2Ms || timing.p1Ms < 0 ||
            timing.p1Ms > ReplyTiming::kMaxP1Ms) {
            Broken("a reply timing out of range reached the console");
        }
        timing_ = timing;
    }
    ReplyTiming Timing() const override { return timing_; }
    void SetSlowInit(bool on) override { slowInit_ = on; }
    bool SlowInit() const override { return slowInit_; }
    void SetObdProtocols(ObdProtocols protocols) override {
        if (!protocols.fast && !protocols.slow && !protocols.iso9141) Broken("no OBD-II protocol reached the console");
        protocols_ = protocols;
    }
    ObdProtocols GetObdProtocols() const override { return protocols_; }
    void SetInitTiming(SlowInitTiming timing) override {
        if (!SlowInitTiming::Settable(timing.w1Ms) || !SlowInitTiming::Settable(timing.w4Ms)) {
            Broken("a slow-init time out of range reached the console");
        }
        initTiming_ = timing;
    }
    SlowInitTiming InitTiming() const override { return initTiming_; }
    QString PortState() const override { return QStringLiteral("open /dev/ptmx"); }
    void SetFraming(ReplyFraming framing) override { framing_ = framing; }
    ReplyFraming Framing(EcuVariant) const override { return framing_; }
    QStringList TripTexts() const override { return {"0.0", "0.00", "0.0", "0.0", "00:00:00"}; }
    QString ReportJson() const override { return QStringLiteral("{\"requests\":0}"); }
    void ClearReport() override {}
    // Drive cycles by word only: the stand-in reads and writes no file.
    QStringList CycleWords() const override { return {"curve", "nedc", "wltc2", "wltc3b"}; }
    QString StartCycle(const QString& wordOrPath) override {
        if (!CycleWords().contains(wordOrPath)) return QStringLiteral("no cycle '%1' here").arg(wordOrPath.left(64));
        cycleRunning_ = true;
        return {};
    }
    bool StopCycle() override { return std::exchange(cycleRunning_, false); }
    QString CycleJson() const override { return cycleRunning_ ? "{\"state\":\"running\"}" : "{\"state\":\"idle\"}"; }
    QString EnterDeviceFigures(const EnteredFigures& f) override {
        for (const double v : {f.distanceKm, f.fuelL, f.averageSpeedKmh.value_or(0), f.averageConsumption.value_or(0),
                               f.travelTimeS.value_or(0)}) {
            if (!std::isfinite(v)) Broken("a figure that is no number reached the console");
        }
        return {};
    }
    QString VerdictJson() const override { return QStringLiteral("{\"verdict\":\"no-figures\"}"); }
    QString SaveCycleReport(const QString&) override { return QStringLiteral("no report from the stand-in"); }
    void Quit() override {}
    // The run around the console: no control line reaches it.
    void Show() override {}
    void Close() override {}
    void WriteToPort(const std::uint8_t*, int) override { Broken("a control line wrote to the port"); }
    void Report(const QString&) override {}
    LinkMonitor& Monitor() override { return monitor_; }
    ReplyLine& Replies() override { Broken("a control line reached the reply line"); }
    QString PseudoTerminalPath() const override { return {}; }

private:
    static std::size_t Checked(int index) {
        if (index < 0 || index >= kTroubleCodes) Broken("a trouble code off the list reached the console");
        return static_cast<std::size_t>(index);
    }

    QMap<Mirror, QString> mirrors_;
    std::array<bool, 16> clicks_{};
    EcuVariant variant_ = EcuVariant::Ja5;
    std::array<bool, kTroubleCodes> ticked_{};
    QMap<IdentField, QString> idents_;
    bool obd_ = false;
    bool slowInit_ = false;
    ObdProtocols protocols_;
    SlowInitTiming initTiming_;
    ReplyTiming timing_{};
    ReplyFraming framing_ = ReplyFraming::Compact;
    bool cycleRunning_ = false;
    LinkMonitor monitor_{16};
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    // Reply faults hold delayed frames on a timer, which wants an application object.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    StandInConsole console;
    std::size_t written = 0;
    ReplyFaults faults([&written](const ReplyPieces&) { ++written; });
    ControlCommandExecutor executor(console, faults);
    const std::uint8_t body[] = {0x61, 0x01, 0x00};
    const auto reply = BuildFrame(0xF1, 0x10, body, sizeof body, FrameForm::Short);

    const std::string text(reinterpret_cast<const char*>(data), size);
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const QString answer = executor.Execute(QString::fromUtf8(text.data() + at, static_cast<int>(end - at)));
        if (!answer.startsWith(QLatin1String("OK")) && !answer.startsWith(QLatin1String("ERR"))) {
            Broken("an answer that is neither OK nor ERR");
        }
        if (answer.contains(QLatin1Char('\n'))) Broken("an answer of more than one line");
        // Each line is followed by a reply leaving through the fault chosen so far.
        faults.FrameOut(reply.data(), static_cast<int>(reply.size()));
        at = end + 1;
    }
    return 0;
}
