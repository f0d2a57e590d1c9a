#pragma once

#include "serial/TSerDevice.h"

#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <vector>

// What the port asked of a FakeSerDevice, and where it is to fail. Outlives the device.
struct FakeSerRecord {
    std::vector<std::string> calls;        // "Open /dev/ttyS0", "SetupQueues 4096 2048", ...
    std::map<std::string, int> failures;   // first word of a call -> error code it returns
    std::vector<TSerLineSettings> settingsWritten;
};

// A device with no line: it records the calls and its waits end only when woken.
class FakeSerDevice : public TSerDevice {
public:
    explicit FakeSerDevice(FakeSerRecord& record) : record_(record) {}

    int Open(const std::string& path) override { woken_ = false; return Note("Open " + path); }
    void Close() override { Note("Close"); }
    bool IsPseudoTerminalMaster() const override { return false; }
    std::string PseudoTerminalPath() const override { return {}; }
    int WriteLineSettings(const TSerLineSettings& settings) override {
        record_.settingsWritten.push_back(settings);
        return Note("WriteLineSettings");
    }
    int SetupQueues(int in, int out) override {
        return Note("SetupQueues " + std::to_string(in) + " " + std::to_string(out));
    }
    int SetReadInterval(int ms) override { return Note("SetReadInterval " + std::to_string(ms)); }
    int SetEventMask(std::uint32_t mask) override { return Note("SetEventMask " + std::to_string(mask)); }
    int InQueue(int& count) override { count = 0; return 0; }
    std::uint32_t TakeLineErrors() override { return 0; }
    int Read(void*, int, int, int& got) override { got = 0; return Note("Read"); }
    int Write(const void*, int count, int, int& put) override { put = count; return Note("Write"); }
    TSerWaitResult WaitReceive(int) override {
        std::unique_lock<std::mutex> guard(lock_);
        wake_.wait(guard, [&] { return woken_; });
        return {wkWoken, 0};
    }
    bool Pause(int) override {
        std::lock_guard<std::mutex> guard(lock_);
        return !woken_;
    }
    void Wake() override {
        std::lock_guard<std::mutex> guard(lock_);
        woken_ = true;
        wake_.notify_all();
    }
    std::string ErrorText(int code) const override { return "text of " + std::to_string(code); }

private:
    int Note(const std::string& call) {
        std::lock_guard<std::mutex> guard(lock_);
        record_.calls.push_back(call);
        const auto failure = record_.failures.find(call.substr(0, call.find(' ')));
        return failure == record_.failures.end() ? 0 : failure->second;
    }

    FakeSerRecord& record_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool woken_ = false;
};
