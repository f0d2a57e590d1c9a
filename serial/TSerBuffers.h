#pragma once

#include "serial/TSerPersistent.h"

// Queue sizes and time-outs of the port. Changed only while the port is closed.
class TSerBuffers : public TSerPersistent {
public:
    int ReadSize() const { return readSize_; }
    int WriteSize() const { return writeSize_; }
    int ReadTimeout() const { return readTimeout_; }
    int WriteTimeout() const { return writeTimeout_; }
    int XonLimit() const { return xonLimit_; }
    int XoffLimit() const { return xoffLimit_; }

    // Negative values are refused with std::invalid_argument.
    void SetReadSize(int value);
    void SetWriteSize(int value);
    void SetReadTimeout(int value);
    void SetWriteTimeout(int value);
    void SetXonLimit(int value);
    void SetXoffLimit(int value);

    void Assign(const TSerBuffers& source);

private:
    void Store(int& field, int value);

    int readSize_ = 4096;
    int writeSize_ = 2048;
    int readTimeout_ = 1000;
    int writeTimeout_ = 1000;
    int xonLimit_ = 1024;
    int xoffLimit_ = 1024;
};
