#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "emulator/Dispatcher.h"
#include "emulator/EcuEnvironment.h"
#include "emulator/Fluctuation.h"
#include "protocol/FrameAssembler.h"
#include "protocol/Iso9141Assembler.h"
#include "protocol/LinkObserver.h"
#include "protocol/ObdProtocols.h"
#include "emulator/ObdResponder.h"
#include "emulator/ResponseFramer.h"
#include "emulator/ServiceContext.h"
#include "emulator/SlowInitOption.h"
#include "protocol/SlowInitRecogniser.h"
#include "emulator/SlowInitSession.h"
#include "protocol/SlowInitTiming.h"

// The emulated controller as the console sees it: the port's received-data handler, the
// deviation timer, and the flags start-up resets.
class EcuEmulator {
public:
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The clock times the gaps between chunks the environment does not stamp; it must be
    // monotonic. An empty clock or seed source stands for the default one.
    explicit EcuEmulator(EcuEnvironment& env, Clock clock = std::chrono::steady_clock::now,
                         Fluctuation::SeedSource seedSource = {});

    EcuEmulator(const EcuEmulator&) = delete;
    EcuEmulator& operator=(const EcuEmulator&) = delete;

    // OnRxChar: reads the `count` bytes waiting, in pieces of at most the receive buffer
    // (or of one arrival, as the environment gives them), lights the request lamps and,
    // with the ignition on, logs each piece and answers every request it completes. A
    // reply that cannot be converted throws; the rest of that piece is then dropped.
    void SerComm1RxChar(int count);

    // The reply the environment held requests for has left: answers the requests completed
    // meanwhile, in order, until one of them leaves a reply waiting again. A reply that
    // cannot be converted throws; that request is then dropped and the rest stay held.
    void ReplyGone();

    // The moment the environment was asked for (EcuEnvironment::WakeAt) has come: a 5-baud
    // address heard, an ISO 9141-2 request ended, a slow-init link dropped after P3max.
    void TimeReached();

    // Timer4: one step of the deviation walk while the trip check runs.
    void Timer4Timer();

    // Start-up: communication not started, no partial frame or held request waiting.
    void ResetFlags();

    // The most requests held while a reply waits; one more is dropped, unanswered: a fast
    // tester would otherwise get answers long after it stopped waiting for them.
    static constexpr int kMostHeldRequests = 16;

    // Someone watching what becomes of the bytes read (not owned; null: nobody).
    void SetLinkObserver(LinkObserver* observer) { observer_ = observer; }

    bool CommunicationActive() const { return dispatcher_.CommunicationActive(); }
    bool SplitFramePending() const { return assembler_.SplitFramePending(); }
    int HeldRequests() const { return static_cast<int>(held_.size()); }
    Fluctuation& GetFluctuation() { return fluctuation_; }
    // Which controller types also answer the generic OBD-II requests.
    ObdOption& Obd() { return obd_.Option(); }
    // How an OBD-II tester may open the link (fast init unless the console says otherwise).
    void SetObdProtocols(ObdProtocols protocols) { obdProtocols_ = protocols; }
    ObdProtocols GetObdProtocols() const { return obdProtocols_; }
    // Which controller types answer a slow init at their own address.
    SlowInitOption& SlowInit() { return slowInit_; }
    // The controller's W1 and W4, from the next slow init on.
    SlowInitTiming& InitTiming() { return initTiming_; }
    // The link a slow init opened, when it is open.
    const SlowInitSession& SlowInitLinkState() const { return session_; }

private:
    // A request completed while a reply was waiting.
    struct HeldRequest {
        std::vector<std::uint8_t> data;
        std::uint8_t target;
        std::uint8_t source;
        bool functional;
        FrameAssembler::TimePoint lastByteRead;
    };

    void HandleChunk(std::size_t n);
    // When the bytes of the chunk just read arrived: the environment's stamp, or the clock.
    FrameAssembler::TimePoint ChunkArrival() const;
    void Serve(const FrameView& frame, FrameAssembler::TimePoint arrival);
    void Answer(const FrameView& frame, FrameAssembler::TimePoint lastByteRead);
    void ReportIgnored(FrameAssembler::TimePoint arrival);

    // Slow init and the links it opens.
    std::vector<std::uint8_t> SlowInitAddresses() const;
    void RunDue(FrameAssembler::TimePoint now);
    // Starts the exchange for an address heard; false when nothing answers it now.
    bool BeginSlowInit(const SlowInitRecogniser::Heard& heard);
    void HearSlowInit(std::size_t n, FrameAssembler::TimePoint arrival, bool frameInProgress);
    // The lone byte held as a possible address is decided (heard, or cut short by the next
    // chunk): told of as ignored unless heard.
    void ReportLoneByte(bool heard);
    void AwaitInvertedKey(std::size_t n, FrameAssembler::TimePoint arrival);
    void ServeIso9141(const Iso9141Assembler::Frame& frame);
    void WriteInitByte(SlowInitStep step, const SlowInitSession::TimedByte& byte);
    bool KwpSlowInitAt33() const;
    void AskWake();

    EcuEnvironment& env_;
    Clock clock_;
    Fluctuation fluctuation_;
    ResponseFramer framer_;
    Dispatcher dispatcher_;
    ObdResponder obd_;
    FrameAssembler assembler_;
    std::array<std::uint8_t, 1024> rxBuffer_{};
    RequestBuffer requestData_{};
    LinkObserver* observer_ = nullptr;
    std::deque<HeldRequest> held_;
    ObdProtocols obdProtocols_;
    SlowInitOption slowInit_;
    SlowInitTiming initTiming_;
    SlowInitRecogniser recogniser_;
    SlowInitSession session_;
    Iso9141Assembler iso9141_;
    std::optional<std::pair<std::uint8_t, FrameAssembler::TimePoint>> loneByte_;
    // The call-back last asked of the environment; empty while that is not known (before the
    // first, and once a call-back has come).
    std::optional<std::optional<FrameAssembler::TimePoint>> askedWake_;
};
