#include "widgets/TUiAnalogGControl.h"

#include "widgets/BevelPainter.h"

TUiAnalogGControl::TUiAnalogGControl(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::NoFocus);
    setFont(BevelPainter::CaptionFont());
    model_.Settings().SetOnChange([this] { SettingsChanged(); });
    model_.Sectors().SetOnChange([this] { SettingsChanged(); });
    setToolTip(model_.HintText());
}

void TUiAnalogGControl::SetValue(float value) {
    if (const auto change = model_.SetValue(value, QDateTime::currentDateTime())) {
        Report(*change);
        update();
    }
}

void TUiAnalogGControl::SetHintOptions(int options) {
    model_.SetHintOptions(options);
    setToolTip(model_.HintText());
}

void TUiAnalogGControl::ReportPosition(const DisplayChange& change) {
    setToolTip(model_.HintText());
    for (const DisplayChange::SectorChange& sector : change.sectors) {
        emit OnSectorChange(sector.sector, sector.inside);
    }
    if (change.limitChanged) {
        emit OnLimit(change.below, change.above);
    }
    if (change.overflow) {
        emit OnOverflow(*change.overflow);
    }
}

void TUiAnalogGControl::Report(const DisplayChange& change) {
    ReportPosition(change);
    if (change.minMaxChanged) {
        emit OnMinMaxChange();
    }
    emit OnValueChange();
}

void TUiAnalogGControl::SettingsChanged() {
    // A new range or format shows the same value anew; it is no value change.
    ReportPosition(model_.Refresh(QDateTime::currentDateTime()));
    SettingsApplied();
    emit OnSettingsChange();
    update();
}
