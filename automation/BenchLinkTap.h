#pragma once

#include <QObject>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>

#include "line/LinkTap.h"

class LinkMonitor;
#include "automation/ReplyFaults.h"
#include "automation/TraceLog.h"

// The tap that bench automation puts on the link: echoes the tester's bytes on a virtual port
// (a K-line's single wire echoes every byte the tester sends, before any reply), traces every
// chunk received and every frame sent, and applies the reply fault chosen over the control
// interface.
class BenchLinkTap : public LinkTap {
public:
    // Writes bytes to the port; may throw the port's error.
    using PortWriter = std::function<void(const std::uint8_t* bytes, int count)>;
    // Where a port error from a delayed write goes (no handler is there to catch it).
    using ErrorSink = std::function<void(const QString& message)>;

    // Takes a faulted or delayed reply over to the line (which may pace it). Without one, the
    // pieces go to the port writer back to back.
    using ReplyWriter = std::function<void(const ReplyPieces& reply)>;

    BenchLinkTap(PortWriter writer, ErrorSink errors);
    void SetReplyWriter(ReplyWriter writer) { replyWriter_ = std::move(writer); }

    void SetEcho(bool on) { echo_ = on; }
    bool Echo() const { return echo_; }
    // Trace to this file from now on; false with a message when it cannot be opened. A write
    // that fails later ends the trace and goes to the error sink once.
    bool OpenTrace(const QString& path, QString* error, TraceLog::MicrosClock clock = {});
    ReplyFaults& Faults() { return faults_; }
    // Tells the console's monitor of echoes, withheld replies and the frames the tap writes.
    void SetMonitor(LinkMonitor* monitor) { monitor_ = monitor; }

    void ChunkRead(const std::uint8_t* bytes, int count, std::chrono::steady_clock::time_point arrival) override;
    bool FrameOut(const std::uint8_t* bytes, int count) override;
    void FrameLeft(const std::uint8_t* bytes, int count, std::chrono::steady_clock::time_point firstByte) override;

private:
    void WriteReply(const ReplyPieces& reply);

    PortWriter writer_;
    ReplyWriter replyWriter_;
    ErrorSink errors_;
    bool echo_ = false;
    std::unique_ptr<TraceLog> trace_;
    ReplyFaults faults_;
    LinkMonitor* monitor_ = nullptr;
    // Reports queued for the event loop hang on this; they go with the tap.
    QObject reportsLater_;
};
