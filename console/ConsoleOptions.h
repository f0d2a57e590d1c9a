#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

#include "protocol/ObdProtocols.h"
#include "protocol/ReplyFraming.h"

class LinkTap;

// How this run of the console differs from an ordinary start. Nothing here is stored.
struct ConsoleOptions {
    // Device to open instead of the stored "COM-Port" (empty: the stored name).
    QString portOverride;
    // Every message a message box would show goes to this sink as one line instead.
    std::function<void(const QString&)> messageSink;
    // Optional listener on the link (not owned).
    LinkTap* linkTap = nullptr;
    // Reply times instead of the stored ones.
    std::optional<int> p2Ms;
    std::optional<int> p1Ms;
    // Framing for all six controller types instead of the stored choice.
    std::optional<ReplyFraming> framing;
    // Monotonic milliseconds for the trip check; empty means the steady clock.
    std::function<std::int64_t()> monotonicMs;
    // Every controller type answers OBD-II requests (true) or none does (false), whatever
    // the store holds; empty: as stored.
    std::optional<bool> obdOverride;
    // Every controller type answers a slow init at its own address (true) or none does.
    std::optional<bool> slowInitOverride;
    // How OBD-II testers may open the link, instead of the stored choice.
    std::optional<ObdProtocols> obdProtocols;
};
