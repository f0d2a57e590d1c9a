#pragma once

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "emulator/EcuEnvironment.h"

// A console and port in memory: chunks queued for reading, every written frame kept,
// lamps and the log recorded. Under a benchmark's loop the same request comes on every read.
class FakeEnvironment : public EcuEnvironment {
public:
    using Bytes = std::vector<std::uint8_t>;

    FakeEnvironment() {
        mirrors = {{Mirror::Speed, "0"},      {Mirror::Coolant, "20"},     {Mirror::EngineSpeed, "0"},
                   {Mirror::Throttle, "0"},   {Mirror::IdleValve, "0"},    {Mirror::FuelFlow, "0.0"},
                   {Mirror::AirFlow, "0.0"},  {Mirror::Voltage, "11.4"},   {Mirror::IdleSpeed, "0"},
                   {Mirror::Injection, "0.00"}, {Mirror::Consumption, "0.0"}};
        idents = {{IdentField::RomVersion, "V5V13J02"},          {IdentField::Vin, "XTA2110498765432109"},
                  {IdentField::EcuSerialNumber, "2112 -1411020-60"}, {IdentField::EngineId, "SAMARA-1.5L, 8V"},
                  {IdentField::ProgrammingDate, "05-07-1996"},     {IdentField::HardwareNumber, "0261123456"},
                  {IdentField::SoftwareNumber, "1411000-00"}};
    }

    // Port: the next ReadBuf hands over what was queued with Arrive.
    void Arrive(const Bytes& chunk) { pending.insert(pending.end(), chunk.begin(), chunk.end()); }
    int Waiting() const { return static_cast<int>(pending.size()); }

    int ReadBuf(std::uint8_t* buffer, int count) override {
        if (looped) {
            // Copied straight, so that a benchmark times the controller and not this queue.
            const int n = std::min<int>(count, static_cast<int>(looped->size()));
            std::copy_n(looped->begin(), n, buffer);
            return n;
        }
        const int n = std::min<int>(count, static_cast<int>(pending.size()));
        for (int i = 0; i < n; ++i) {
            buffer[i] = pending.front();
            pending.pop_front();
        }
        return n;
    }
    std::optional<std::chrono::steady_clock::time_point> LastReadArrival() const override { return arrival; }
    int WriteBuf(const std::uint8_t* buffer, int count) override {
        if (!writeError.empty()) {
            throw std::runtime_error(writeError);
        }
        writtenBytes += static_cast<std::size_t>(count);
        if (!looped) written.emplace_back(buffer, buffer + count);
        replyWaiting = replyWaiting || holdAfterEachReply;
        return count;
    }
    void AnsweringRequest(std::chrono::steady_clock::time_point lastByteRead,
                          std::chrono::milliseconds p2Min) override {
        if (looped) return;
        answering.push_back(lastByteRead);
        answeringP2Min.push_back(p2Min);
    }
    void WriteAt(const std::uint8_t* buffer, int count, std::chrono::steady_clock::time_point moment) override {
        timed.push_back({Bytes(buffer, buffer + count), moment});
    }
    void WakeAt(std::optional<std::chrono::steady_clock::time_point> moment) override { wake = moment; }
    bool ReplyWaiting() const override { return replyWaiting; }

    bool IgnitionOn() const override { return ignition; }
    EcuVariant Variant() const override { return variant; }
    std::string MirrorText(Mirror mirror) const override { return mirrors.at(mirror); }
    NumberFormat MirrorNumberFormat() const override { return format; }
    std::string IdentificationText(IdentField field) const override { return idents.at(field); }
    int TroubleCodeItemCount() const override { return static_cast<int>(troubleCodes.size()); }
    std::string TroubleCodeItemText(int index) const override { return troubleCodes.at(index).first; }
    bool TroubleCodeTicked(int index) const override { return troubleCodes.at(index).second; }
    bool TripCheckRunning() const override { return tripRunning; }
    std::optional<std::chrono::milliseconds> EngineRunTime() const override { return engineRunTime; }
    void ClearTroubleCodes() override {
        for (auto& item : troubleCodes) item.second = false;
    }
    ReplyFraming Framing() const override { return framing; }

    void SetLamp(Lamp lamp, bool on) override {
        if (!looped) lamps[lamp] = on;
    }
    void AppendLog(const std::string& line) override {
        if (!looped) log.push_back(line);
    }
    void EnableResetTimer() override {
        if (!resetTimerEnabled) {
            resetTimerEnabled = true;
            ++resetTimerStarts;
        }
    }

    bool LampOn(Lamp lamp) const {
        auto it = lamps.find(lamp);
        return it != lamps.end() && it->second;
    }

    // Console state, set freely by tests.
    bool ignition = true;
    EcuVariant variant = EcuVariant::Ja5;
    std::map<Mirror, std::string> mirrors;
    NumberFormat format;
    std::map<IdentField, std::string> idents;
    std::vector<std::pair<std::string, bool>> troubleCodes;
    bool tripRunning = false;
    std::optional<std::chrono::milliseconds> engineRunTime;  // empty: the engine stands
    ReplyFraming framing = ReplyFraming::Compact;
    std::string writeError;  // when set, WriteBuf fails with this text as the port would
    // The port's stamp of what ReadBuf gives; unset, the emulator's own clock times the chunks.
    std::optional<std::chrono::steady_clock::time_point> arrival;
    bool replyWaiting = false;        // a reply still waits to leave
    bool holdAfterEachReply = false;  // every reply written waits, as a paced line's do
    // A benchmark's loop: while set, every read hands over this request again, and what is
    // written is only counted, the log, lamps and answering moments dropped, so that nothing
    // grows and a benchmark times the controller alone.
    std::optional<Bytes> looped;

    // What the emulator did.
    std::deque<std::uint8_t> pending;
    std::vector<Bytes> written;
    std::size_t writtenBytes = 0;
    std::map<Lamp, bool> lamps;
    std::vector<std::string> log;
    std::vector<std::chrono::steady_clock::time_point> answering;  // each request's last byte
    std::vector<std::chrono::milliseconds> answeringP2Min;
    // Slow-init bytes and their moments; when the emulator asked to be called back.
    std::vector<std::pair<Bytes, std::chrono::steady_clock::time_point>> timed;
    std::optional<std::chrono::steady_clock::time_point> wake;
    bool resetTimerEnabled = false;
    int resetTimerStarts = 0;
};
