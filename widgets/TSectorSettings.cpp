#include "widgets/TSectorSettings.h"

TSectorSettings::TSectorSettings()
    : sectors_{{{QColor(255, 255, 0), 0, 333}, {QColor(0, 200, 0), 334, 666}, {QColor(255, 0, 0), 667, 1000}}} {}

QColor TSectorSettings::SectorColor(int sector) const {
    return Valid(sector) ? sectors_[sector - 1].color : QColor();
}

int TSectorSettings::SectorFrom(int sector) const {
    return Valid(sector) ? sectors_[sector - 1].from : 0;
}

int TSectorSettings::SectorTo(int sector) const {
    return Valid(sector) ? sectors_[sector - 1].to : -1;
}

bool TSectorSettings::Contains(int sector, long long permille) const {
    return Valid(sector) && permille >= sectors_[sector - 1].from && permille <= sectors_[sector - 1].to;
}

void TSectorSettings::SetSectorColor(int sector, const QColor& color) {
    if (Valid(sector)) {
        Store(sectors_[sector - 1].color, color);
    }
}

void TSectorSettings::SetSectorRange(int sector, int fromPermille, int toPermille) {
    if (!Valid(sector)) {
        return;
    }
    Sector& s = sectors_[sector - 1];
    if (s.from == fromPermille && s.to == toPermille) {
        return;
    }
    s.from = fromPermille;
    s.to = toPermille;
    Changed();
}
