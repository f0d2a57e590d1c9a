// Bench automation costs: a control line parsed and carried out (on a stand-in console), and a
// trace line written per chunk or frame, which happens on the link's own thread.
//   automation_bench [--benchmark_filter=...]
#include <QCoreApplication>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <cstdint>
#include <map>
#include <stdexcept>
#include <vector>

#include "automation/ControlCommandExecutor.h"
#include "automation/ReplyFaults.h"
#include "automation/TraceLog.h"
#include "console/OperatorPanel.h"

namespace {

// A console that only keeps what it is told, so the figure is the control interface's own cost.
class StandInConsole : public OperatorPanel {
public:
    void SetValue(Mirror mirror, double value) override { mirrors_[mirror] = QString::number(value); }
    QString MirrorText(Mirror mirror) const override {
        const auto it = mirrors_.find(mirror);
        return it == mirrors_.end() ? QString() : it->second;
    }
    std::pair<double, double> Range(Mirror) const override { return {0.0, 250.0}; }
    void Click(ControlButton) override {}
    bool ButtonDown(ControlButton) const override { return false; }
    void SelectVariant(EcuVariant v) override { variant_ = v; }
    EcuVariant Variant() const override { return variant_; }
    int TroubleCodeCount() const override { return static_cast<int>(ticks_.size()); }
    void SetTroubleCodeTicked(int index, bool ticked) override { ticks_.at(index) = ticked; }
    bool TroubleCodeTicked(int index) const override { return ticks_.at(index); }
    void SetIdentText(IdentField field, const QString& text) override { idents_[field] = text; }
    QString IdentText(IdentField field) const override {
        const auto it = idents_.find(field);
        return it == idents_.end() ? QString() : it->second;
    }
    bool LampOn(Lamp) const override { return false; }
    void SetObdEnabled(bool) override {}
    bool ObdEnabled() const override { return false; }
    void SetSlowInit(bool) override {}
    bool SlowInit() const override { return false; }
    void SetObdProtocols(ObdProtocols) override {}
    ObdProtocols GetObdProtocols() const override { return {}; }
    void SetInitTiming(SlowInitTiming) override {}
    SlowInitTiming InitTiming() const override { return {}; }
    void SetReplyTiming(ReplyTiming t) override { timing_ = t; }
    ReplyTiming Timing() const override { return timing_; }
    void SetFraming(ReplyFraming f) override { framing_ = f; }
    ReplyFraming Framing(EcuVariant) const override { return framing_; }
    QStringList TripTexts() const override { return {}; }
    QString ReportJson() const override { return QStringLiteral("{}"); }
    void ClearReport() override {}
    QStringList CycleWords() const override { return {}; }
    QString StartCycle(const QString&) override { return {}; }
    bool StopCycle() override { return false; }
    QString CycleJson() const override { return QStringLiteral("{}"); }
    QString EnterDeviceFigures(const EnteredFigures&) override { return {}; }
    QString VerdictJson() const override { return QStringLiteral("{}"); }
    QString SaveCycleReport(const QString&) override { return {}; }
    QString PortState() const override { return QStringLiteral("open pty"); }
    void Quit() override {}
    void Show() override {}
    void Close() override {}
    void WriteToPort(const std::uint8_t*, int) override {}
    void Report(const QString&) override {}
    LinkMonitor& Monitor() override { throw std::logic_error("no monitor on the stand-in"); }
    ReplyLine& Replies() override { throw std::logic_error("no reply line on the stand-in"); }
    QString PseudoTerminalPath() const override { return {}; }

private:
    std::map<Mirror, QString> mirrors_;
    EcuVariant variant_ = EcuVariant::Ja5;
    std::vector<bool> ticks_ = std::vector<bool>(113, false);
    std::map<IdentField, QString> idents_;
    ReplyFraming framing_ = ReplyFraming::Compact;
    ReplyTiming timing_;
};

void BM_ControlLine(benchmark::State& state) {
    StandInConsole target;
    ReplyFaults faults([](const ReplyPieces&) {});
    ControlCommandExecutor executor(target, faults);
    const QString lines[] = {QStringLiteral("set speed 60.5"), QStringLiteral("get speed"),
                             QStringLiteral("dtc 57 on"), QStringLiteral("get dtc"),
                             QStringLiteral("ident 91 2112 -1411020-60"), QStringLiteral("set voltage 6,5")};
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(executor.Execute(lines[i++ % 6]));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ControlLine);

void BM_TraceFrame(benchmark::State& state) {
    QTemporaryDir dir;
    TraceLog trace;
    QString error;
    if (!trace.Open(dir.filePath(QStringLiteral("trace.txt")), &error)) {
        state.SkipWithError("trace file");
        return;
    }
    // The longest live block: 80 F1 10 4A and 74 data bytes and the checksum.
    std::uint8_t frame[79] = {0x80, 0xF1, 0x10, 0x4A, 0x61, 0x01};
    for (auto _ : state) {
        trace.Record(TraceLog::Direction::Sent, frame, static_cast<int>(sizeof frame));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TraceFrame);

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
