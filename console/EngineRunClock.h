#pragma once

#include <QObject>
#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>

class TUiBinGControl;

// How long the engine has run: from the moment its button went to "Двигатель запущен"
// until it goes back, by the button or with the ignition, on a monotonic clock.
class EngineRunClock : public QObject {
    Q_OBJECT

public:
    using Clock = std::function<std::int64_t()>;  // monotonic milliseconds

    EngineRunClock(TUiBinGControl* engineButton, Clock clock, QObject* parent = nullptr);

    // Nothing while the engine stands.
    std::optional<std::chrono::milliseconds> RunTime() const;

private:
    void ButtonChanged();

    TUiBinGControl* button_;
    Clock clock_;
    std::optional<std::int64_t> startedMs_;
};
