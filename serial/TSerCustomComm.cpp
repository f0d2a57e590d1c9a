#include "serial/TSerCustomComm.h"

#include "common/ErrorReport.h"
#include "serial/TSerCommEventThread.h"
#include "serial/TSerCommWriteThread.h"
#include "serial/TSerHandOver.h"
#include "serial/TSerPosixDevice.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <exception>

namespace {

constexpr const char* kOpenRefusal = "Can't perform this operation while port is open";
// Longest pause between two bytes of one read.
constexpr int kReadIntervalMs = 5;
// Received bytes the event thread holds for the reads at least, whatever the read size says.
constexpr int kLeastReceiveRoom = 256;

std::uint32_t RateOf(TSerBaudrate baudrate) {
    static const std::uint32_t rates[] = {0,     110,   300,    600,    1200,   2400,
                                          4800,  9600,  14400,  19200,  38400,  56000,
                                          57600, 115200, 128000, 256000};
    return rates[baudrate];
}

void ReplaceFirst(std::string& text, const std::string& placeholder, const std::string& value) {
    const std::size_t at = text.find(placeholder);
    if (at != std::string::npos) text.replace(at, placeholder.size(), value);
}

}  // namespace

TSerCustomComm::TSerCustomComm() : TSerCustomComm(std::make_unique<TSerPosixDevice>()) {}

TSerCustomComm::TSerCustomComm(std::unique_ptr<TSerDevice> device)
    : device_(std::move(device)), handOver_(std::make_unique<TSerHandOver>([this] { DeliverReceived(); })) {
    buffers_.SetChangeGuard([this] { RefuseWhileOpen(); });
    flowControl_.SetOnChange([this] { WriteDeviceSettings(); });
    eventChars_.SetOnChange([this] { WriteDeviceSettings(); });
}

TSerCustomComm::~TSerCustomComm() {
    destroying_ = true;
    Close();
    links_.clear();
}

void TSerCustomComm::AddLink(TSerLink* link) {
    if (link && std::find(links_.begin(), links_.end(), link) == links_.end()) links_.push_back(link);
}

void TSerCustomComm::RemoveLink(TSerLink* link) {
    links_.erase(std::remove(links_.begin(), links_.end(), link), links_.end());
}

void TSerCustomComm::Loaded() {
    if (autoOpen_ && !open_) Open();
}

// ---- properties

void TSerCustomComm::RefuseWhileOpen() const {
    if (open_) RaiseCommError(kOpenRefusal, 0);
}

template <typename T>
void TSerCustomComm::ApplyLineValue(T& field, T value) {
    if (field == value) return;
    const T old = field;
    field = value;
    try {
        WriteDeviceSettings();
    } catch (...) {
        field = old;  // the device refused it: keep what the line really runs with
        throw;
    }
}

void TSerCustomComm::SetBaudrate(TSerBaudrate value) {
    if (baudrate_ == value) return;
    const int oldUser = userBaudrate_;
    if (value != brUser) userBaudrate_ = 0;
    try {
        ApplyLineValue(baudrate_, value);
    } catch (...) {
        userBaudrate_ = oldUser;
        throw;
    }
}

void TSerCustomComm::SetUserBaudrate(int value) {
    if (userBaudrate_ == value) return;
    const TSerBaudrate oldRate = baudrate_;
    baudrate_ = brUser;
    try {
        ApplyLineValue(userBaudrate_, value);
    } catch (...) {
        baudrate_ = oldRate;
        throw;
    }
}

void TSerCustomComm::SetParity(TSerParity value) { ApplyLineValue(parity_, value); }
void TSerCustomComm::SetDatabits(TSerDatabits value) { ApplyLineValue(databits_, value); }
void TSerCustomComm::SetStopbits(TSerStopbits value) { ApplyLineValue(stopbits_, value); }
void TSerCustomComm::SetOptions(TSerOptions value) { ApplyLineValue(options_, value); }

void TSerCustomComm::SetPortNum(int value) {
    RefuseWhileOpen();
    portNum_ = value;
}

void TSerCustomComm::SetDeviceName(const std::string& value) {
    RefuseWhileOpen();
    deviceName_ = value;
}

void TSerCustomComm::SetMonitorEvents(TSerEvents value) {
    RefuseWhileOpen();
    monitorEvents_ = value & kAllSerEvents;
}

void TSerCustomComm::SetDirectWrite(bool value) {
    RefuseWhileOpen();
    directWrite_ = value;
}

void TSerCustomComm::SetUpdateDCB(bool value) {
    RefuseWhileOpen();
    updateDcb_ = value;
}

void TSerCustomComm::SetEventPriority(TThreadPriority value) {
    eventPriority_ = value;
    if (eventThread_) eventThread_->SetPriority(value);
}

void TSerCustomComm::SetWritePriority(TThreadPriority value) {
    writePriority_ = value;
    if (writeThread_) writeThread_->SetPriority(value);
}

std::string TSerCustomComm::FormattedDeviceName() const {
    std::string name = deviceName_;
    ReplaceFirst(name, "%d", std::to_string(portNum_));
    return name;
}

std::string TSerCustomComm::DevicePath() const {
    const std::string name = FormattedDeviceName();
    if (!name.empty() && name[0] == '/') return name;
    // "COMn" is the n-th serial port: /dev/ttyS(n-1).
    if (name.size() > 3 && name.compare(0, 3, "COM") == 0 &&
        name.find_first_not_of("0123456789", 3) == std::string::npos && name.size() < 12) {
        const long number = std::strtol(name.c_str() + 3, nullptr, 10);
        if (number >= 1) return "/dev/ttyS" + std::to_string(number - 1);
    }
    return name;
}

std::string TSerCustomComm::PseudoTerminalPath() const {
    return open_ ? device_->PseudoTerminalPath() : std::string();
}

std::string TSerCustomComm::FaultText() const {
    std::lock_guard<std::mutex> guard(faultLock_);
    return faultText_;
}

bool TSerCustomComm::NoteFault(const std::string& text) {
    if (faultReported_.exchange(true)) return false;
    std::lock_guard<std::mutex> guard(faultLock_);
    faultText_ = text;
    return true;
}

TSerLineSettings TSerCustomComm::LineSettings() const {
    TSerLineSettings s;
    s.BaudRate = baudrate_ == brUser ? static_cast<std::uint32_t>(userBaudrate_) : RateOf(baudrate_);
    s.ByteSize = static_cast<std::uint8_t>(4 + databits_);
    s.Parity = static_cast<std::uint8_t>(parity_);
    s.StopBits = static_cast<std::uint8_t>(stopbits_);
    std::uint32_t f = TSerLineSettings::fBinary;
    if (flowControl_.OutCtsFlow()) f |= TSerLineSettings::fOutxCtsFlow;
    if (flowControl_.OutDsrFlow()) f |= TSerLineSettings::fOutxDsrFlow;
    static const std::uint32_t dtr[] = {0, TSerLineSettings::fDtrEnable, TSerLineSettings::fDtrHandshake};
    f |= dtr[flowControl_.ControlDtr()];
    if (flowControl_.DsrSensitivity()) f |= TSerLineSettings::fDsrSensitivity;
    if (flowControl_.TxContinueOnXoff()) f |= TSerLineSettings::fTxContinueOnXoff;
    if (flowControl_.XonXoffOut()) f |= TSerLineSettings::fOutX;
    if (flowControl_.XonXoffIn()) f |= TSerLineSettings::fInX;
    static const std::uint32_t rts[] = {0, TSerLineSettings::fRtsEnable, TSerLineSettings::fRtsHandshake,
                                        TSerLineSettings::fRtsToggle};
    f |= rts[flowControl_.ControlRts()];
    if (options_ & coErrorChar) f |= TSerLineSettings::fErrorChar;
    if (options_ & coNullStrip) f |= TSerLineSettings::fNull;
    if (options_ & coParityCheck) f |= TSerLineSettings::fParity;
    s.Flags = f;
    s.XonLim = static_cast<std::uint16_t>(buffers_.XonLimit());
    s.XoffLim = static_cast<std::uint16_t>(buffers_.XoffLimit());
    s.XonChar = eventChars_.XonChar();
    s.XoffChar = eventChars_.XoffChar();
    s.ErrorChar = eventChars_.ErrorChar();
    s.EofChar = eventChars_.EofChar();
    s.EvtChar = eventChars_.EventChar();
    return s;
}

std::uint32_t TSerCustomComm::EventMask() const {
    std::uint32_t mask = monitorEvents_ & kAllSerEvents;
    // The write thread reports an emptied queue itself.
    if (!directWrite_) mask &= ~static_cast<std::uint32_t>(ceTxEmpty);
    return mask;
}

// ---- errors

void TSerCustomComm::RaiseCommError(const std::string& format, int code, const std::string& head) const {
    std::string tail = format;
    ReplaceFirst(tail, "%d", std::to_string(code));
    ReplaceFirst(tail, "%s", device_->ErrorText(code));
    throw ESerCommError(head + tail, code);
}

// ---- open and close

void TSerCustomComm::WriteDeviceSettings() {
    if (!open_ || !updateDcb_) return;
    if (const int error = device_->KeepLineState()) RaiseCommError("Error writing dcb (%d), %s", error);
    if (const int error = device_->WriteLineSettings(LineSettings())) {
        // The caller puts the property back; the line goes back with it. Should that fail as
        // well, the refusal is still what the message names.
        device_->RestoreLineState();
        RaiseCommError("Error writing dcb (%d), %s", error);
    }
}

void TSerCustomComm::CreateHandle() {
    const std::string name = FormattedDeviceName();
    const int error = device_->Open(DevicePath());
    if (error == ENOENT) RaiseCommError("", error, "Specified device not found (" + name + ").");
    if (error != 0) RaiseCommError(" (Error %d, %s)", error, "Can't open specified device " + name);
}

void TSerCustomComm::CreateThreads() {
    handOver_->Reopen();
    faultReported_ = false;
    {
        std::lock_guard<std::mutex> guard(faultLock_);
        faultText_.clear();
    }
    const std::uint32_t mask = EventMask();
    if (mask & ceRxChar) received_.Start(std::max(buffers_.ReadSize(), kLeastReceiveRoom));
    if (mask != 0) eventThread_ = std::make_unique<TSerCommEventThread>(*this, mask, eventPriority_);
    if (!directWrite_)
        writeThread_ = std::make_unique<TSerCommWriteThread>(*this, buffers_.WriteSize(),
                                                             (monitorEvents_ & ceTxEmpty) != 0, writePriority_);
}

void TSerCustomComm::Open() {
    RefuseWhileOpen();
    CreateHandle();
    open_ = true;
    try {
        WriteDeviceSettings();
        if (const int error = device_->SetupQueues(buffers_.ReadSize(), buffers_.WriteSize()))
            RaiseCommError("Error initializing buffers (%d), %s", error);
        if (const int error = device_->SetReadInterval(kReadIntervalMs))
            RaiseCommError("Error setting timeouts (%d), %s", error);
        if (const int error = device_->SetEventMask(EventMask()))
            RaiseCommError(" Error setting EventMask (%d), %s", error);
        CreateThreads();
        if (onOpen_) onOpen_(this);
    } catch (...) {
        StopThreads();
        CloseDevice();
        throw;
    }
}

void TSerCustomComm::StopThreads() {
    // Order matters: no hand-over may keep a thread waiting on this (joining) thread.
    handOver_->Shutdown();
    device_->Wake();
    if (writeThread_) writeThread_->Stop();
    if (eventThread_) eventThread_->Join();
    writeThread_.reset();
    eventThread_.reset();
}

void TSerCustomComm::CloseDevice() {
    std::lock_guard<std::mutex> guard(readLock_);
    device_->Close();
    open_ = false;
}

void TSerCustomComm::Close() {
    if (!open_) return;
    StopThreads();
    CloseDevice();
    if (!destroying_ && onClose_) onClose_(this);
}

// ---- reading and writing

int TSerCustomComm::InQueueCount() {
    if (!open_) return 0;
    // The event thread's queue first: bytes moving meanwhile are missed for an instant,
    // never counted twice.
    const int held = received_.Count();
    std::lock_guard<std::mutex> guard(readLock_);
    int count = 0;
    if (const int error = device_->InQueue(count)) RaiseCommError("Error retrieving statistics (%d), %s", error);
    return held + count;
}

int TSerCustomComm::TakeReceived(std::uint8_t* buffer, int count, int waitMs, TimePoint& arrival) {
    const int got = received_.TakeChunk(buffer, count, std::chrono::milliseconds(waitMs), arrival);
    if (got == 0) {
        if (const int error = received_.TakeError()) RaiseCommError("Read error (%d), %s", error);
    }
    return got;
}

int TSerCustomComm::ReadDevice(void* buffer, int count) {
    std::lock_guard<std::mutex> guard(readLock_);
    int got = 0;
    const int error = device_->Read(buffer, count, buffers_.ReadTimeout(), got);
    // Bytes that came before a failure are handed out; the failure shows on the next read.
    if (error != 0 && got == 0) RaiseCommError("Read error (%d), %s", error);
    return got;
}

int TSerCustomComm::ReadBuf(void* buffer, int count) {
    if (!open_ || count <= 0) return 0;
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    TimePoint arrival;
    int got = TakeReceived(bytes, count, buffers_.ReadTimeout(), arrival);
    if (got < 0) return ReadDevice(buffer, count);
    while (got > 0 && got < count) {
        const int more = received_.TakeChunk(bytes + got, count - got,
                                             std::chrono::milliseconds(kReadIntervalMs), arrival);
        if (more <= 0) break;
        got += more;
    }
    return got;
}

int TSerCustomComm::ReadChunk(void* buffer, int count, TimePoint& arrival) {
    if (!open_ || count <= 0) return 0;
    const int got = TakeReceived(static_cast<std::uint8_t*>(buffer), count, buffers_.ReadTimeout(), arrival);
    if (got >= 0) return got;
    const int direct = ReadDevice(buffer, count);
    arrival = std::chrono::steady_clock::now();
    return direct;
}

int TSerCustomComm::WriteBuf(const void* buffer, int count) {
    if (!open_ || count <= 0) return 0;
    if (directWrite_) {
        std::lock_guard<std::mutex> guard(writeLock_);
        int put = 0;
        if (const int error = device_->Write(buffer, count, buffers_.WriteTimeout(), put))
            RaiseCommError("Write error (%d), %s", error);
        return put;
    }
    if (!writeThread_->Append(buffer, count, buffers_.WriteTimeout()))
        RaiseCommError("Output buffer is full. Please check comm status.", 0);
    return count;
}

// ---- events

void TSerCustomComm::DoEvent(std::uint32_t mask) {
    try {
        if (display_) display_->DisplayEvents(this, mask);
        if (mask & ceRxChar) {
            HandleRxChar();
            mask &= ~static_cast<std::uint32_t>(ceRxChar);
        }
        if (mask != 0) HandleEvents(mask);
    } catch (const std::exception& error) {
        ReportApplicationError(error.what());
    } catch (...) {
        ReportApplicationError("Unknown error in a serial port event handler");
    }
}

void TSerCustomComm::DeliverReceived() {
    // A posted delivery whose bytes an earlier handler already read has nothing to say.
    if (received_.Count() > 0) DoEvent(ceRxChar);
}

void TSerCustomComm::HandleRxChar() {
    const int count = received_.Count();
    if (count <= 0) return;
    if (HasLinks()) {
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
        const int got = ReadBuf(bytes.data(), count);
        if (got > 0) HandleRxBuf(bytes.data(), got);
        return;
    }
    if (!onRxChar_) return;
    // A handler that waits in a nested event loop may see the port destroyed meanwhile:
    // keep its closure alive, and touch nothing of the port after it returns.
    const TRxCharEvent handler = onRxChar_;
    handler(this, count);
}

void TSerCustomComm::HandleRxBuf(const void* data, int count) {
    for (TSerLink* link : std::vector<TSerLink*>(links_)) {
        if (link->Enabled()) link->LinkRxBuf(this, data, count);
    }
    if (onRxBuf_) onRxBuf_(this, data, count);
}

void TSerCustomComm::NotifyLinkedEvents(std::uint32_t mask) {
    for (TSerLink* link : std::vector<TSerLink*>(links_)) {
        if (link->Enabled()) link->LinkEvents(this, mask);
    }
}

void TSerCustomComm::HandleEvents(std::uint32_t mask) {
    if (mask & ceError) {
        const std::uint32_t errors = device_->TakeLineErrors();
        if (errors != 0 && onError_) onError_(this, static_cast<int>(errors));
    }
    if (HasLinks()) NotifyLinkedEvents(mask);
    const std::pair<TSerEvent, TNotifyEvent*> notifications[] = {
        {ceRxFlag, &onRxFlag_}, {ceCts, &onCts_},         {ceDsr, &onDsr_},
        {ceRing, &onRing_},     {ceRlsd, &onRlsd_},       {ceTxEmpty, &onTxEmpty_},
        {ceBreak, &onBreak_},   {cePErr, &onPErr_},       {ceRx80Full, &onRx80Full_},
        {ceEvent1, &onEvent1_}, {ceEvent2, &onEvent2_},
    };
    for (const auto& [flag, handler] : notifications) {
        if ((mask & flag) && *handler) (*handler)(this);
    }
}
