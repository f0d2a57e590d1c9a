#include "automation/BenchLinkTap.h"

#include <chrono>
#include <exception>

#include "monitor/LinkMonitor.h"
#include <utility>

BenchLinkTap::BenchLinkTap(PortWriter writer, ErrorSink errors)
    : writer_(std::move(writer)),
      errors_(std::move(errors)),
      faults_([this](const ReplyPieces& reply) {
          // Faulted and delayed replies leave from here, outside any handler that could catch
          // a port error, so it is reported instead of escaping.
          try {
              WriteReply(reply);
          } catch (const std::exception& e) {
              errors_(QString::fromLocal8Bit(e.what()));
          }
      }) {}

bool BenchLinkTap::OpenTrace(const QString& path, QString* error, TraceLog::MicrosClock clock) {
    auto trace = std::make_unique<TraceLog>(std::move(clock), [this](const QString& message) {
        // The trace fails inside the link's handlers; the report waits for the event loop, so
        // that a message box cannot run one inside them.
        QMetaObject::invokeMethod(&reportsLater_, [this, message] { errors_(message); }, Qt::QueuedConnection);
    });
    if (!trace->Open(path, error)) {
        return false;
    }
    trace_ = std::move(trace);
    return true;
}

void BenchLinkTap::ChunkRead(const std::uint8_t* bytes, int count, std::chrono::steady_clock::time_point arrival) {
    if (trace_) {
        trace_->Record(TraceLog::Direction::Received, bytes, count, arrival);
    }
    if (echo_ && count > 0) {
        const auto at = std::chrono::steady_clock::now();
        writer_(bytes, count);
        if (monitor_ != nullptr) {
            monitor_->EchoSent(bytes, static_cast<std::size_t>(count), at);
        }
    }
}

bool BenchLinkTap::FrameOut(const std::uint8_t* bytes, int count) {
    if (faults_.FrameOut(bytes, count)) {
        if (faults_.LastWithheld() && monitor_ != nullptr) {
            monitor_->ReplyWithheld(std::chrono::steady_clock::now());
        }
        return true;
    }
    // Unchanged: the console writes it, with its own error handling, and tells FrameLeft.
    return false;
}

void BenchLinkTap::FrameLeft(const std::uint8_t* bytes, int count, std::chrono::steady_clock::time_point firstByte) {
    // At the moment its first byte left, also for a reply that waited for its moment.
    if (trace_) {
        trace_->Record(TraceLog::Direction::Sent, bytes, count, firstByte);
    }
}

void BenchLinkTap::WriteReply(const ReplyPieces& reply) {
    if (replyWriter_) {
        replyWriter_(reply);  // the line tells FrameLeft as each frame leaves
        return;
    }
    for (const ReplyPiece& piece : reply) {
        if (piece.bytes.empty()) continue;
        // Recorded once the port has taken it; a port error skips the record.
        const auto at = std::chrono::steady_clock::now();
        writer_(piece.bytes.data(), static_cast<int>(piece.bytes.size()));
        if (trace_) {
            trace_->Record(TraceLog::Direction::Sent, piece.bytes.data(), static_cast<int>(piece.bytes.size()));
        }
        if (monitor_ != nullptr) {
            monitor_->FrameSent(piece.bytes.data(), piece.bytes.size(), at);
        }
    }
}
