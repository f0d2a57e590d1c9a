#pragma once

// The two times a real controller keeps on the line (ISO 14230-2): P2 from the last byte of a
// request to the first byte of its reply, P1 between the bytes of the reply. 0 and 0 answer
// as soon as possible, with the reply's bytes back to back.
struct ReplyTiming {
    static constexpr int kMaxP2Ms = 5000;  // P2 up to P2*max after a "response pending"
    static constexpr int kMaxP1Ms = 20;    // P1max
    static constexpr int kIsoP2Ms = 25;    // P2min of the standard's default timing
    static constexpr int kIsoP1Ms = 0;

    int p2Ms = 0;
    int p1Ms = 0;

    // Whether replies wait for their moments at all.
    bool Paced() const { return p2Ms > 0 || p1Ms > 0; }
    static bool ValidP2(int ms) { return ms >= 0 && ms <= kMaxP2Ms; }
    static bool ValidP1(int ms) { return ms >= 0 && ms <= kMaxP1Ms; }

    bool operator==(const ReplyTiming& other) const { return p2Ms == other.p2Ms && p1Ms == other.p1Ms; }
};
