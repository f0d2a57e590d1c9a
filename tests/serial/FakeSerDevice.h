#pragma once

#include "serial/TSerDevice.h"

#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

// A device layer that records what the port asks of it and fails where a test says so.
// The record outlives the device (the port owns the device).
struct FakeSerRecord {
    std::vector<std::string> calls;
    std::map<std::string, int> failures;  // operation name -> error code to return
    std::vector<TSerLineSettings> settingsWritten;
    int inQueue = 0;
    std::uint32_t lineErrors = 0;
};

class FakeSerDevice : public TSerDevice {
public:
    explicit FakeSerDevice(std::shared_ptr<FakeSerRecord> record) : record_(std::move(record)) {}

    int Open(const std::string& path) override {
        woken_ = false;
        return Note("Open " + path, "Open");
    }
    void Close() override { Note("Close", "Close"); }
    bool IsPseudoTerminalMaster() const override { return false; }
    std::string PseudoTerminalPath() const override { return {}; }
    int WriteLineSettings(const TSerLineSettings& settings) override {
        std::lock_guard<std::mutex> guard(lock_);
        record_->settingsWritten.push_back(settings);
        return NoteLocked("WriteLineSettings", "WriteLineSettings");
    }
    int SetupQueues(int in, int out) override {
        return Note("SetupQueues " + std::to_string(in) + " " + std::to_string(out), "SetupQueues");
    }
    int SetReadInterval(int ms) override { return Note("SetReadInterval " + std::to_string(ms), "SetReadInterval"); }
    int SetEventMask(std::uint32_t mask) override { return Note("SetEventMask " + std::to_string(mask), "SetEventMask"); }
    int InQueue(int& count) override {
        std::lock_guard<std::mutex> guard(lock_);
        count = record_->inQueue;
        return 0;
    }
    std::uint32_t TakeLineErrors() override {
        std::lock_guard<std::mutex> guard(lock_);
        const std::uint32_t errors = record_->lineErrors;
        record_->lineErrors = 0;
        return errors;
    }
    int Read(void*, int, int, int& got) override {
        got = 0;
        return Note("Read", "Read");
    }
    int Write(const void*, int count, int, int& put) override {
        put = count;
        return Note("Write " + std::to_string(count), "Write");
    }
    TSerWaitResult WaitReceive(int) override {
        std::unique_lock<std::mutex> guard(lock_);
        wake_.wait(guard, [&] { return woken_; });
        return {wkWoken, 0};
    }
    bool Pause(int) override {
        std::unique_lock<std::mutex> guard(lock_);
        return !woken_;
    }
    void Wake() override {
        std::lock_guard<std::mutex> guard(lock_);
        woken_ = true;
        wake_.notify_all();
    }
    std::string ErrorText(int code) const override { return "text of " + std::to_string(code); }

private:
    int Note(const std::string& call, const std::string& operation) {
        std::lock_guard<std::mutex> guard(lock_);
        return NoteLocked(call, operation);
    }
    int NoteLocked(const std::string& call, const std::string& operation) {
        record_->calls.push_back(call);
        const auto failure = record_->failures.find(operation);
        return failure == record_->failures.end() ? 0 : failure->second;
    }

    std::shared_ptr<FakeSerRecord> record_;
    std::mutex lock_;
    std::condition_variable wake_;
    bool woken_ = false;
};
