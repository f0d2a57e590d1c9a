#pragma once

#include <cstdint>
#include <vector>

#include "KLineExchange.h"

class SerialDevice;

// One ISO 9141-2 request (68 6A F1 + data + checksum) and its answer. Its frames carry no
// length: a frame ends where its checksum closes it and the next frame starts or the line rests
// for P1max; further frames are read until P2max passes without one. The echo of the request
// is taken off the front as far as it comes.
class Iso9141Exchange {
public:
    Iso9141Exchange(SerialDevice& device, int p2maxMs, int p1maxMs = KLineExchange::kP1MaxMs);

    ExchangeResult Exchange(const std::vector<std::uint8_t>& request);

private:
    SerialDevice& device_;
    int p2maxMs_;
    int p1maxMs_;
};
