#include "widgets/DisplayValueModel.h"

#include "widgets/PictureFormat.h"

#include <QStringList>
#include <algorithm>
#include <cmath>

namespace {

// Positions far outside the scale only need to stay far outside.
constexpr double kFar = 1e15;

long long RoundClamped(double x) {
    return std::llrint(std::clamp(x, -kFar, kFar));
}

}  // namespace

DisplayValueModel::DisplayValueModel() {
    valueText_ = settings_.FormatValue(value_);
    RebuildHint();
}

std::optional<DisplayChange> DisplayValueModel::SetValue(float value, const QDateTime& now) {
    if (value == value_ || !std::isfinite(value)) {
        return std::nullopt;
    }
    value_ = value;
    return Refresh(now);
}

long long DisplayValueModel::PermilleOfDigit() const {
    return RoundClamped(1000.0 / static_cast<double>(settings_.DigitalSpan()) *
                        static_cast<double>(digit_ - settings_.DigitalFrom()));
}

DisplayChange DisplayValueModel::Refresh(const QDateTime& now) {
    DisplayChange change;
    digit_ = RoundClamped((static_cast<double>(value_) - settings_.ValueFrom()) * settings_.DigitsPerUnit() +
                          settings_.DigitalFrom());
    valueText_ = settings_.FormatValue(value_);
    permille_ = PermilleOfDigit();

    for (int sector = 1; sector <= TSectorSettings::kSectors; ++sector) {
        const bool inside = sectors_.Contains(sector, permille_);
        if (inside != inSector_[sector - 1]) {
            inSector_[sector - 1] = inside;
            change.sectors.push_back({sector, inside});
        }
    }

    const bool below = value_ < limitLower_;
    const bool above = value_ > limitUpper_;
    if (below != below_ || above != above_) {
        below_ = below;
        above_ = above;
        change.limitChanged = true;
    }
    change.below = below_;
    change.above = above_;

    const bool outside = permille_ < 0 || permille_ > 1000;
    if (outside != overflow_) {
        overflow_ = outside;
        change.overflow = permille_;
    }

    change.minMaxChanged = minMax_.Offer(value_, now);
    RebuildHint();
    return change;
}

int DisplayValueModel::DrawPermille() const {
    return static_cast<int>(std::clamp(permille_, 0LL, 1000LL));
}

bool DisplayValueModel::InSector(int sector) const {
    return sector >= 1 && sector <= TSectorSettings::kSectors && inSector_[sector - 1];
}

QString DisplayValueModel::HintLine(const QString& label, float value, const QDateTime& when) const {
    QString line = label + settings_.FormatValue(value) + u' ' + settings_.ValueUnit();
    if (when.isValid()) {
        if (hintOptions_ & hoMinMaxDate) {
            line += u' ' + when.date().toString(QStringLiteral("dd.MM.yyyy"));
        }
        if (hintOptions_ & hoMinMaxTime) {
            line += u' ' + when.time().toString(QStringLiteral("HH:mm:ss"));
        }
    }
    return line;
}

void DisplayValueModel::RebuildHint() {
    if (!(hintOptions_ & hoAutoHint)) {
        hintText_.clear();
        return;
    }
    QStringList lines;
    if (hintOptions_ & hoValue) {
        lines << QStringLiteral("Value= ") + valueText_ + u' ' + settings_.ValueUnit();
    }
    const bool seen = minMax_.MinDateTime().isValid();
    if ((hintOptions_ & hoMin) && seen) {
        lines << HintLine(QStringLiteral("MIN= "), minMax_.Min(), minMax_.MinDateTime());
    }
    if ((hintOptions_ & hoMax) && seen) {
        lines << HintLine(QStringLiteral("MAX= "), minMax_.Max(), minMax_.MaxDateTime());
    }
    if (hintOptions_ & hoName1) {
        lines << settings_.Name1();
    }
    if (hintOptions_ & hoName2) {
        lines << settings_.Name2();
    }
    hintText_ = lines.join(u'\n');
}
