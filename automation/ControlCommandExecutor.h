#pragma once

#include <QString>

class OperatorPanel;
class ReplyFaults;
struct ControlCommand;

// Turns one control line into its effect and its one-line answer: "OK", "OK value" or
// "ERR reason". A line that does not parse changes nothing.
class ControlCommandExecutor {
public:
    ControlCommandExecutor(OperatorPanel& target, ReplyFaults& faults);

    QString Execute(const QString& line);

private:
    QString Run(const ControlCommand& command);
    QString Answer(const ControlCommand& command) const;
    QString FramingText() const;

    OperatorPanel& target_;
    ReplyFaults& faults_;
};
