#pragma once

#include <QString>
#include <functional>

class QWidget;

// Where the console's messages go: a message box for the operator, or one line to a sink
// when the console runs unattended (then nothing waits for a click).
class MessageReporter {
public:
    using Sink = std::function<void(const QString&)>;

    explicit MessageReporter(Sink sink = {}) : sink_(std::move(sink)) {}

    void Report(QWidget* parent, const QString& message) const;
    // A message the window shows by itself, without a box to click: it goes to the sink when
    // there is one, and nowhere else.
    void Note(const QString& message) const;

private:
    Sink sink_;
};
