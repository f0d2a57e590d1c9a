#include "console/ConsoleEnvironment.h"

#include <QLineEdit>
#include <QListWidget>
#include <QTimer>
#include <utility>

#include "console/DeferredLogView.h"
#include "line/LinkTap.h"
#include "line/ReplyLine.h"
#include "serial/TSerCustomComm.h"
#include "widgets/TUiColBitBtn.h"
#include "widgets/TUiLED.h"

ConsoleEnvironment::ConsoleEnvironment(Bindings bindings, MirrorFormat format)
    : b_(std::move(bindings)), format_(std::move(format)) {}

int ConsoleEnvironment::ReadBuf(std::uint8_t* buffer, int count) {
    const int n = b_.port->ReadChunk(buffer, count, lastArrival_);
    if (n > 0 && b_.linkTap != nullptr) {
        b_.linkTap->ChunkRead(buffer, n, lastArrival_);
    }
    return n;
}

int ConsoleEnvironment::WriteBuf(const std::uint8_t* buffer, int count) {
    if (b_.linkTap != nullptr && b_.linkTap->FrameOut(buffer, count)) {
        return count;  // the tap took the frame over
    }
    return b_.replies->Send(buffer, count);  // it tells the monitor as the frame leaves
}

void ConsoleEnvironment::AnsweringRequest(std::chrono::steady_clock::time_point lastByteRead,
                                          std::chrono::milliseconds p2Min) {
    b_.replies->AnsweringRequest(lastByteRead, p2Min);
}

void ConsoleEnvironment::WriteAt(const std::uint8_t* buffer, int count, std::chrono::steady_clock::time_point moment) {
    // The wake-up exchange is no reply: no fault of the link tap touches it.
    b_.replies->SendAt(buffer, count, moment);
}

void ConsoleEnvironment::WakeAt(std::optional<std::chrono::steady_clock::time_point> moment) {
    if (b_.wakeAt) {
        b_.wakeAt(moment);
    }
}

bool ConsoleEnvironment::ReplyWaiting() const {
    return b_.replies->Waiting();
}

bool ConsoleEnvironment::IgnitionOn() const {
    return b_.ignitionButton->Checked();
}

EcuVariant ConsoleEnvironment::Variant() const {
    return b_.variant();
}

std::string ConsoleEnvironment::MirrorText(Mirror mirror) const {
    return b_.mirrors.at(mirror)->text().toStdString();
}

NumberFormat ConsoleEnvironment::MirrorNumberFormat() const {
    return format_.ToNumberFormat();
}

std::string ConsoleEnvironment::IdentificationText(IdentField field) const {
    return b_.identification.at(field)->text().toStdString();
}

int ConsoleEnvironment::TroubleCodeItemCount() const {
    return b_.troubleCodes->count();
}

std::string ConsoleEnvironment::TroubleCodeItemText(int index) const {
    return b_.troubleCodes->item(index)->text().toStdString();
}

bool ConsoleEnvironment::TroubleCodeTicked(int index) const {
    return b_.troubleCodes->item(index)->checkState() == Qt::Checked;
}

bool ConsoleEnvironment::TripCheckRunning() const {
    return b_.tripCheckRunning();
}

std::optional<std::chrono::milliseconds> ConsoleEnvironment::EngineRunTime() const {
    return b_.engineRunTime();
}

void ConsoleEnvironment::ClearTroubleCodes() {
    b_.clearTroubleCodes();
}

ReplyFraming ConsoleEnvironment::Framing() const {
    return b_.framing();
}

void ConsoleEnvironment::SetLamp(Lamp lamp, bool on) {
    // With a reply timing the answer lamp waits for the reply itself to start leaving.
    if (lamp == Lamp::UiLED2 && on && b_.replies->Timing().Paced()) {
        return;
    }
    b_.lamps.at(lamp)->SetChecked(on);
}

void ConsoleEnvironment::AppendLog(const std::string& line) {
    b_.log->AppendLine(line);
}

void ConsoleEnvironment::EnableResetTimer() {
    // Back-to-back clears and resets do not restart it: the lamps go dark 5 s after the first.
    if (!b_.resetTimer->isActive()) {
        b_.resetTimer->start();
    }
}
