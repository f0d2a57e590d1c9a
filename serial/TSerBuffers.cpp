#include "serial/TSerBuffers.h"

#include <stdexcept>

void TSerBuffers::Store(int& field, int value) {
    CheckChange();
    if (value < 0) throw std::invalid_argument("Buffer sizes and time-outs cannot be negative");
    if (field == value) return;
    field = value;
    Changed();
}

void TSerBuffers::SetReadSize(int value) { Store(readSize_, value); }
void TSerBuffers::SetWriteSize(int value) { Store(writeSize_, value); }
void TSerBuffers::SetReadTimeout(int value) { Store(readTimeout_, value); }
void TSerBuffers::SetWriteTimeout(int value) { Store(writeTimeout_, value); }
void TSerBuffers::SetXonLimit(int value) { Store(xonLimit_, value); }
void TSerBuffers::SetXoffLimit(int value) { Store(xoffLimit_, value); }

void TSerBuffers::Assign(const TSerBuffers& source) {
    CheckChange();
    BeginUpdate();
    readSize_ = source.readSize_;
    writeSize_ = source.writeSize_;
    readTimeout_ = source.readTimeout_;
    writeTimeout_ = source.writeTimeout_;
    xonLimit_ = source.xonLimit_;
    xoffLimit_ = source.xoffLimit_;
    EndUpdate();
}
