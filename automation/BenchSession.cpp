#include "automation/BenchSession.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <unistd.h>
#include <utility>

#include "automation/BenchLinkTap.h"
#include "automation/ControlCommandExecutor.h"
#include "automation/ControlServer.h"
#include "console/OperatorPanel.h"
#include "monitor/LinkMonitor.h"
#include "line/ReplyLine.h"
#include "settings/SettingsStore.h"

namespace {

// Opening this device makes a pseudo-terminal pair; its master side becomes the link.
const QString kPtyMaster = QStringLiteral("/dev/ptmx");

}  // namespace

BenchSession::BenchSession(CommandLineOptions options, MessageSink messages, std::function<void()> quit)
    : options_(std::move(options)), messages_(std::move(messages)), quit_(std::move(quit)) {
    if (!quit_) {
        quit_ = [this] {
            if (panel_) panel_->Close();
            QCoreApplication::quit();
        };
    }
}

BenchSession::~BenchSession() {
    // The control interface goes first: no command may reach a window being torn down.
    server_.reset();
    executor_.reset();
    if (tap_) tap_->SetMonitor(nullptr);
    panel_.reset();
    if (!linkMade_.isEmpty() && QFileInfo(linkMade_).symLinkTarget() == QFileInfo(ptyPath_).absoluteFilePath()) {
        QFile::remove(linkMade_);
    }
}

bool BenchSession::Start(QString* error, std::unique_ptr<SettingsStore> store) {
    // Refuse a bad control address or trace file before anything opens.
    if (!options_.control.isEmpty()) {
        server_ = std::make_unique<ControlServer>([this](const QString& line) {
            return executor_ ? executor_->Execute(line) : QStringLiteral("ERR not ready");
        });
        if (!server_->Listen(options_.control, error)) {
            return false;
        }
    }
    tap_ = std::make_unique<BenchLinkTap>(
        [this](const std::uint8_t* bytes, int count) { panel_->WriteToPort(bytes, count); },
        [this](const QString& message) { panel_->Report(message); });
    tap_->SetEcho(options_.pty && options_.echo);
    if (!options_.trace.isEmpty() && !tap_->OpenTrace(options_.trace, error)) {
        return false;
    }

    ConsoleOptions console;
    console.portOverride = options_.pty ? kPtyMaster : options_.port;
    if (options_.hidden) {
        console.messageSink = messages_;
    }
    console.linkTap = tap_.get();
    console.obdOverride = options_.obd;
    console.slowInitOverride = options_.slowInit;
    console.obdProtocols = options_.obdProtocols;
    console.framing = options_.framing;
    console.p2Ms = options_.p2Ms;
    console.p1Ms = options_.p1Ms;
    panel_ = OperatorPanel::Open(console, std::move(store), quit_);
    tap_->SetMonitor(&panel_->Monitor());
    tap_->SetReplyWriter([this](const ReplyPieces& reply) { panel_->Replies().Send(reply); });
    executor_ = std::make_unique<ControlCommandExecutor>(*panel_, tap_->Faults());

    if (options_.pty) {
        ptyPath_ = panel_->PseudoTerminalPath();
        if (ptyPath_.isEmpty()) {
            *error = QStringLiteral("the virtual port could not be made (%1 did not open)").arg(kPtyMaster);
            return false;
        }
        if (!ptyHold_.Hold(ptyPath_, error)) {
            return false;
        }
        if (!options_.ptyLink.isEmpty() && !MakePtyLink(error)) {
            return false;
        }
    }
    if (!options_.cycle.isEmpty()) {
        const QString refused = panel_->StartCycle(options_.cycle);
        if (!refused.isEmpty()) {
            *error = refused;
            return false;
        }
    }
    if (!options_.hidden) {
        panel_->Show();
    }
    return true;
}

QString BenchSession::ControlEndpoint() const {
    return server_ ? server_->Endpoint() : QString();
}

bool BenchSession::MakePtyLink(QString* error) {
    const QString& link = options_.ptyLink;
    const QFileInfo existing(link);
    const auto refuse = [&](const QString& why) {
        *error = QStringLiteral("cannot make the link %1: %2").arg(link, why);
        return false;
    };
    const QFileInfo folder(existing.absolutePath());
    if (!folder.isDir()) {
        return refuse(folder.exists() ? QStringLiteral("%1 is no folder").arg(folder.filePath())
                                      : QStringLiteral("the folder %1 does not exist").arg(folder.filePath()));
    }
    if (existing.isSymLink()) {
        // A link left behind by an earlier run is replaced; a running copy's is not, nor is
        // anything else.
        const QString target = existing.symLinkTarget();
        if (target != ptyPath_ && PseudoTerminalHold::HeldElsewhere(target)) {
            return refuse(QStringLiteral("it points at %1, the virtual port of a running copy").arg(target));
        }
        QFile::remove(link);
    } else if (existing.exists()) {
        return refuse(QStringLiteral("a file of that name exists"));
    }
    if (::symlink(QFile::encodeName(ptyPath_).constData(), QFile::encodeName(link).constData()) != 0) {
        return refuse(QStringLiteral("%1 (to %2)").arg(QString::fromLocal8Bit(std::strerror(errno)), ptyPath_));
    }
    linkMade_ = link;
    return true;
}
