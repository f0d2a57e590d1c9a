#pragma once

#include "widgets/DisplayValueModel.h"

#include <QWidget>

// A display-only analog instrument: shows any value, never takes the focus.
class TUiAnalogGControl : public QWidget {
    Q_OBJECT
public:
    explicit TUiAnalogGControl(QWidget* parent = nullptr);

    float Value() const { return model_.Value(); }
    void SetValue(float value);
    long long Digit() const { return model_.Digit(); }
    float LimitUpper() const { return model_.LimitUpper(); }
    float LimitLower() const { return model_.LimitLower(); }
    void SetLimitUpper(float limit) { model_.SetLimitUpper(limit); }
    void SetLimitLower(float limit) { model_.SetLimitLower(limit); }
    int HintOptions() const { return model_.HintOptions(); }
    void SetHintOptions(int options);

    TSignalSettings& SignalSettings() { return model_.Settings(); }
    const TSignalSettings& SignalSettings() const { return model_.Settings(); }
    TSectorSettings& SectorSettings() { return model_.Sectors(); }
    TMinMax& MinMax() { return model_.MinMax(); }
    const TMinMax& MinMax() const { return model_.MinMax(); }

    const QString& ValueText() const { return model_.ValueText(); }
    QString DigitText() const { return model_.DigitText(); }
    const QString& HintText() const { return model_.HintText(); }
    // Thousandths of the scale where a pointer stands, clamped to the scale's ends.
    int DrawPermille() const { return model_.DrawPermille(); }

signals:
    void OnValueChange();
    void OnLimit(bool below, bool above);
    // Thousandths of the scale at the start and at the end of each excursion out of range.
    void OnOverflow(long long permille);
    void OnSectorChange(int sector, bool inside);
    void OnMinMaxChange();
    void OnSettingsChange();

protected:
    // The settings changed: concrete read-outs resize or relayout.
    virtual void SettingsApplied() {}

private:
    // The hint and the sector, limit and overflow reports of a new position on the scale.
    void ReportPosition(const DisplayChange& change);
    void Report(const DisplayChange& change);
    void SettingsChanged();

    DisplayValueModel model_;
};
