#pragma once

#include <QString>

// Keeps the tester's side of the virtual port open for the whole run. While no tester holds
// it, the master side would report hang-up and could only be polled at a slow pace until one
// opens it again, so a tester's first request would wait; held open, the link answers a
// newly connected tester at once. The side is switched to raw bytes, so that the line
// discipline never echoes the controller's replies back into the link. The side is locked while
// held, so that another copy can tell that this one is still using it.
class PseudoTerminalHold {
public:
    PseudoTerminalHold() = default;
    PseudoTerminalHold(const PseudoTerminalHold&) = delete;
    PseudoTerminalHold& operator=(const PseudoTerminalHold&) = delete;
    ~PseudoTerminalHold();

    // False with the system's text when the side cannot be opened or switched to raw bytes.
    bool Hold(const QString& path, QString* error);

    // Whether a running program holds the pseudo-terminal at path this way.
    static bool HeldElsewhere(const QString& path);

private:
    int fd_ = -1;
};
