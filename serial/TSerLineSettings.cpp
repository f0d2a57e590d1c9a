#include "serial/TSerLineSettings.h"

bool TSerLineSettings::operator==(const TSerLineSettings& o) const {
    return BaudRate == o.BaudRate && Flags == o.Flags && XonLim == o.XonLim &&
           XoffLim == o.XoffLim && ByteSize == o.ByteSize && Parity == o.Parity &&
           StopBits == o.StopBits && XonChar == o.XonChar && XoffChar == o.XoffChar &&
           ErrorChar == o.ErrorChar && EofChar == o.EofChar && EvtChar == o.EvtChar;
}
