#pragma once

#include "serial/ESerCommError.h"
#include "serial/SerTypes.h"
#include "serial/TSerBuffers.h"
#include "serial/TSerDisplay.h"
#include "serial/TSerDevice.h"
#include "serial/TSerEventChars.h"
#include "serial/TSerFlowControl.h"
#include "serial/TSerLineSettings.h"
#include "serial/TSerLink.h"
#include "serial/TSerRxQueue.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class TSerCommEventThread;
class TSerCommWriteThread;
class TSerHandOver;

// One serial device: its line settings, open and close, an event thread that reads received
// characters as they come and hands them to the thread that created the port (the Qt main
// thread), and a write thread that drains an output queue. Configure, open, close, read and
// write from the creating thread.
class TSerCustomComm {
public:
    using TimePoint = std::chrono::steady_clock::time_point;
    using TNotifyEvent = std::function<void(TSerCustomComm* sender)>;
    using TRxCharEvent = std::function<void(TSerCustomComm* sender, int count)>;
    using TRxBufEvent = std::function<void(TSerCustomComm* sender, const void* data, int count)>;
    using TErrorEvent = std::function<void(TSerCustomComm* sender, int errors)>;

    // On the POSIX platform layer.
    TSerCustomComm();
    // On a given platform layer (a test double, for instance).
    explicit TSerCustomComm(std::unique_ptr<TSerDevice> device);
    virtual ~TSerCustomComm();
    TSerCustomComm(const TSerCustomComm&) = delete;
    TSerCustomComm& operator=(const TSerCustomComm&) = delete;

    void Open();
    void Close();
    bool IsOpen() const { return open_; }
    // After the owner has set the properties up: opens the port when AutoOpen is set.
    void Loaded();

    // Bytes read (0 when closed or nothing came within Buffers().ReadTimeout()). After the
    // first byte, a pause of more than 5 ms ends the read.
    int ReadBuf(void* buffer, int count);
    // Bytes of one arrival, at most count, and the time the event thread read them from the
    // device; the rest of that chunk keeps its stamp for the next read. Waits like ReadBuf for
    // the first byte, never for more. Without received characters watched there is no event
    // thread reading, and the stamp is the time of this read.
    int ReadChunk(void* buffer, int count, TimePoint& arrival);
    // Bytes written (direct mode), or taken for sending (queued mode: returns at once; what
    // an idle line cannot take at once waits in the write thread's queue).
    int WriteBuf(const void* buffer, int count);
    // Received bytes not read yet: those the event thread holds and those still in the driver's
    // input queue; 0 while closed.
    int InQueueCount();

    // DeviceName formatted with PortNum (the name messages show).
    std::string FormattedDeviceName() const;
    // The file system path that FormattedDeviceName stands for ("COM1" is /dev/ttyS0).
    std::string DevicePath() const;
    // What the operator should be told about the device opened (an adapter that holds replies
    // back and may not be changed); empty when nothing, or while closed.
    std::string OpenNotice() const { return open_ ? device_->OpenNotice() : std::string(); }
    // Other side of the pseudo-terminal opened through "/dev/ptmx"; empty otherwise.
    std::string PseudoTerminalPath() const;
    // How the device failed when OnError last told of leIOError, as the system words it
    // ("device hung up" when it simply went away); empty when it has not failed since opening.
    std::string FaultText() const;

    // The line-settings record the properties give.
    TSerLineSettings LineSettings() const;
    // The line events the event thread waits for.
    std::uint32_t EventMask() const;

    // Properties. Closed-only: DeviceName, PortNum, MonitorEvents, DirectWrite, UpdateDCB,
    // Buffers. Applied to the open device at once: the line settings, FlowControl, EventChars.
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool value) { autoOpen_ = value; }
    TSerBaudrate Baudrate() const { return baudrate_; }
    void SetBaudrate(TSerBaudrate value);
    int UserBaudrate() const { return userBaudrate_; }
    void SetUserBaudrate(int value);
    TSerParity Parity() const { return parity_; }
    void SetParity(TSerParity value);
    TSerDatabits Databits() const { return databits_; }
    void SetDatabits(TSerDatabits value);
    TSerStopbits Stopbits() const { return stopbits_; }
    void SetStopbits(TSerStopbits value);
    TSerOptions Options() const { return options_; }
    void SetOptions(TSerOptions value);
    int PortNum() const { return portNum_; }
    void SetPortNum(int value);
    const std::string& DeviceName() const { return deviceName_; }
    void SetDeviceName(const std::string& value);
    TSerEvents MonitorEvents() const { return monitorEvents_; }
    void SetMonitorEvents(TSerEvents value);
    bool DirectWrite() const { return directWrite_; }
    void SetDirectWrite(bool value);
    bool UpdateDCB() const { return updateDcb_; }
    void SetUpdateDCB(bool value);
    TThreadPriority EventPriority() const { return eventPriority_; }
    void SetEventPriority(TThreadPriority value);
    TThreadPriority WritePriority() const { return writePriority_; }
    void SetWritePriority(TThreadPriority value);

    TSerBuffers& Buffers() { return buffers_; }
    const TSerBuffers& Buffers() const { return buffers_; }
    void SetBuffers(const TSerBuffers& value) { buffers_.Assign(value); }
    TSerFlowControl& FlowControl() { return flowControl_; }
    const TSerFlowControl& FlowControl() const { return flowControl_; }
    void SetFlowControl(const TSerFlowControl& value) { flowControl_.Assign(value); }
    TSerEventChars& EventChars() { return eventChars_; }
    const TSerEventChars& EventChars() const { return eventChars_; }
    void SetEventChars(const TSerEventChars& value) { eventChars_.Assign(value); }

    // Linked consumers (none in the console). A link must be removed before it is destroyed.
    void AddLink(TSerLink* link);
    void RemoveLink(TSerLink* link);
    bool HasLinks() const { return linksActive_ && !links_.empty(); }
    bool LinksActive() const { return linksActive_; }
    void SetLinksActive(bool value) { linksActive_ = value; }

    TSerDisplay* Display() const { return display_; }
    void SetDisplay(TSerDisplay* display) { display_ = display; }

    // Events, all raised on the thread that created the port, one at a time.
    void SetOnOpen(TNotifyEvent handler) { onOpen_ = std::move(handler); }
    void SetOnClose(TNotifyEvent handler) { onClose_ = std::move(handler); }
    void SetOnRxChar(TRxCharEvent handler) { onRxChar_ = std::move(handler); }
    void SetOnRxBuf(TRxBufEvent handler) { onRxBuf_ = std::move(handler); }
    void SetOnError(TErrorEvent handler) { onError_ = std::move(handler); }
    void SetOnRxFlag(TNotifyEvent handler) { onRxFlag_ = std::move(handler); }
    void SetOnCts(TNotifyEvent handler) { onCts_ = std::move(handler); }
    void SetOnDsr(TNotifyEvent handler) { onDsr_ = std::move(handler); }
    void SetOnRing(TNotifyEvent handler) { onRing_ = std::move(handler); }
    void SetOnRlsd(TNotifyEvent handler) { onRlsd_ = std::move(handler); }
    void SetOnTxEmpty(TNotifyEvent handler) {
        txEmptyWanted_ = static_cast<bool>(handler);
        onTxEmpty_ = std::move(handler);
    }
    void SetOnBreak(TNotifyEvent handler) { onBreak_ = std::move(handler); }
    void SetOnPErr(TNotifyEvent handler) { onPErr_ = std::move(handler); }
    void SetOnRx80Full(TNotifyEvent handler) { onRx80Full_ = std::move(handler); }
    void SetOnEvent1(TNotifyEvent handler) { onEvent1_ = std::move(handler); }
    void SetOnEvent2(TNotifyEvent handler) { onEvent2_ = std::move(handler); }
    const TNotifyEvent& OnOpen() const { return onOpen_; }
    const TNotifyEvent& OnClose() const { return onClose_; }
    const TRxCharEvent& OnRxChar() const { return onRxChar_; }
    const TRxBufEvent& OnRxBuf() const { return onRxBuf_; }
    const TErrorEvent& OnError() const { return onError_; }
    const TNotifyEvent& OnTxEmpty() const { return onTxEmpty_; }

protected:
    virtual void CreateHandle();
    virtual void CreateThreads();
    virtual void HandleRxChar();
    virtual void HandleEvents(std::uint32_t mask);
    virtual void NotifyLinkedEvents(std::uint32_t mask);
    virtual void HandleRxBuf(const void* data, int count);
    void WriteDeviceSettings();
    // Every failure ends here: the message is format with "%d" the code and "%s" the
    // system's text for it, after a head that carries no placeholders.
    [[noreturn]] void RaiseCommError(const std::string& format, int code,
                                     const std::string& head = std::string()) const;

private:
    friend class TSerCommEventThread;
    friend class TSerCommWriteThread;

    void RefuseWhileOpen() const;
    // Port threads: a failure of the device, to be told once. False when it was told already.
    bool NoteFault(const std::string& text);
    void DoEvent(std::uint32_t mask);
    // What the event thread queued, on the owning thread: OnRxChar or the links.
    void DeliverReceived();
    // From the event thread's queue: bytes taken, 0, or -1 when no event thread reads.
    int TakeReceived(std::uint8_t* buffer, int count, int waitMs, TimePoint& arrival);
    int ReadDevice(void* buffer, int count);
    void StopThreads();
    void CloseDevice();
    template <typename T>
    void ApplyLineValue(T& field, T value);

    std::unique_ptr<TSerDevice> device_;
    std::unique_ptr<TSerHandOver> handOver_;
    std::unique_ptr<TSerCommEventThread> eventThread_;
    std::unique_ptr<TSerCommWriteThread> writeThread_;
    std::mutex readLock_;
    std::mutex writeLock_;
    bool open_ = false;
    TSerRxQueue received_;
    // Whether an emptied output queue is worth a hand-over to the main thread.
    std::atomic<bool> txEmptyWanted_{false};
    // A failing device is reported once, by whichever thread meets it first.
    std::atomic<bool> faultReported_{false};
    mutable std::mutex faultLock_;
    std::string faultText_;
    bool destroying_ = false;

    bool autoOpen_ = false;
    TSerBaudrate baudrate_ = br1200;
    int userBaudrate_ = 0;
    TSerParity parity_ = paNone;
    TSerDatabits databits_ = db8;
    TSerStopbits stopbits_ = sb1;
    TSerOptions options_ = 0;
    int portNum_ = 0;
    std::string deviceName_ = "COM%d";
    TSerEvents monitorEvents_ = ceError | ceRxChar | ceTxEmpty;
    bool directWrite_ = false;
    bool updateDcb_ = true;
    TThreadPriority eventPriority_ = tpNormal;
    TThreadPriority writePriority_ = tpHighest;
    TSerBuffers buffers_;
    TSerFlowControl flowControl_;
    TSerEventChars eventChars_;
    std::vector<TSerLink*> links_;
    bool linksActive_ = true;
    TSerDisplay* display_ = nullptr;

    TNotifyEvent onOpen_, onClose_, onRxFlag_, onCts_, onDsr_, onRing_, onRlsd_, onTxEmpty_,
        onBreak_, onPErr_, onRx80Full_, onEvent1_, onEvent2_;
    TRxCharEvent onRxChar_;
    TRxBufEvent onRxBuf_;
    TErrorEvent onError_;
};
