#pragma once

#include "serial/TSerDevice.h"

#include <map>
#include <string>
#include <vector>

// What the port asked of a FakeSerDevice, and where it is to fail. Outlives the device.
struct FakeSerRecord {
    std::vector<std::string> calls;        // "Open /dev/ttyS0", "SetupQueues 4096 2048", ...
    std::map<std::string, int> failures;   // first word of a call -> error code it returns
    std::vector<TSerLineSettings> settingsWritten;
    // What the line runs. A refused record is taken all the same, as by a driver that applies
    // a setting and only then turns out to run its rate too far off.
    TSerLineSettings line;
};

// A device with no line: it records the calls (all made on the port's thread), and its waits
// end at once as if the port were closing, so the port's threads stop right after Open.
class FakeSerDevice : public TSerDevice {
public:
    explicit FakeSerDevice(FakeSerRecord& record) : record_(record) {}

    int Open(const std::string& path) override { return Note("Open " + path); }
    void Close() override { Note("Close"); }
    bool IsPseudoTerminalMaster() const override { return false; }
    std::string PseudoTerminalPath() const override { return {}; }
    int WriteLineSettings(const TSerLineSettings& settings) override {
        record_.settingsWritten.push_back(settings);
        record_.line = settings;
        return Note("WriteLineSettings");
    }
    int KeepLineState() override {
        const int error = Note("KeepLineState");
        if (error == 0) kept_ = record_.line;
        return error;
    }
    int RestoreLineState() override {
        const int error = Note("RestoreLineState");
        if (error == 0) record_.line = kept_;
        return error;
    }
    int SetupQueues(int in, int out) override {
        return Note("SetupQueues " + std::to_string(in) + " " + std::to_string(out));
    }
    int SetReadInterval(int ms) override { return Note("SetReadInterval " + std::to_string(ms)); }
    int SetEventMask(std::uint32_t mask) override { return Note("SetEventMask " + std::to_string(mask)); }
    int InQueue(int& count) override { count = 0; return 0; }
    std::uint32_t TakeLineErrors() override { return 0; }
    int Read(void*, int, int, int& got) override { got = 0; return Note("Read"); }
    int ReadNow(void*, int, int& got) override { got = 0; return 0; }  // never reached: no wait ends received
    int Write(const void*, int count, int, int& put) override { put = count; return Note("Write"); }
    TSerWaitResult WaitReceive(int) override { return {wkWoken, 0}; }
    bool Pause(int) override { return false; }
    void Wake() override {}
    std::string ErrorText(int code) const override { return "text of " + std::to_string(code); }

private:
    int Note(const std::string& call) {
        record_.calls.push_back(call);
        const auto failure = record_.failures.find(call.substr(0, call.find(' ')));
        return failure == record_.failures.end() ? 0 : failure->second;
    }

    FakeSerRecord& record_;
    TSerLineSettings kept_;
};
