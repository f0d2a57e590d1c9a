#pragma once

#include "widgets/TUiPersistent.h"

#include <QColor>
#include <array>

// Three coloured sectors of a scale, each a band of thousandths of the range.
class TSectorSettings : public TUiPersistent {
public:
    static constexpr int kSectors = 3;

    TSectorSettings();

    // Sectors are numbered 1 to 3; other numbers are ignored (and read as an empty band).
    QColor SectorColor(int sector) const;
    int SectorFrom(int sector) const;
    int SectorTo(int sector) const;
    bool Contains(int sector, long long permille) const;
    int Offset() const { return offset_; }
    int WidthOffset() const { return widthOffset_; }

    void SetSectorColor(int sector, const QColor& color);
    void SetSectorRange(int sector, int fromPermille, int toPermille);
    void SetOffset(int pixels) { Store(offset_, pixels); }
    void SetWidthOffset(int pixels) { Store(widthOffset_, pixels); }

private:
    struct Sector {
        QColor color;
        int from;
        int to;
    };
    static bool Valid(int sector) { return sector >= 1 && sector <= kSectors; }

    std::array<Sector, kSectors> sectors_;
    int offset_ = 0;
    int widthOffset_ = 0;
};
