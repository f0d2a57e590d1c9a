#pragma once

#include <map>
#include <vector>

#include "console/ControlTarget.h"

// A console stand-in that records what the control interface did to it.
class FakeControlTarget : public ControlTarget {
public:
    void SetValue(Mirror mirror, double value) override {
        values[mirror] = value;
        mirrors[mirror] = QString::number(value);
    }
    QString MirrorText(Mirror mirror) const override {
        const auto it = mirrors.find(mirror);
        return it == mirrors.end() ? QString() : it->second;
    }
    void Click(ControlButton button) override { clicks.push_back(button); }
    void SelectVariant(EcuVariant v) override { variant = v; }
    EcuVariant Variant() const override { return variant; }
    int TroubleCodeCount() const override { return static_cast<int>(ticks.size()); }
    void SetTroubleCodeTicked(int index, bool ticked) override { ticks.at(index) = ticked; }
    bool TroubleCodeTicked(int index) const override { return ticks.at(index); }
    void SetIdentText(IdentField field, const QString& text) override { idents[field] = text; }
    QString IdentText(IdentField field) const override {
        const auto it = idents.find(field);
        return it == idents.end() ? QString() : it->second;
    }
    bool LampOn(Lamp lamp) const override { return lamps.count(lamp) != 0 && lamps.at(lamp); }
    QStringList TripTexts() const override { return trip; }
    void Quit() override { ++quits; }

    std::map<Mirror, double> values;
    std::map<Mirror, QString> mirrors;
    std::vector<ControlButton> clicks;
    EcuVariant variant = EcuVariant::Ja5;
    std::vector<bool> ticks = std::vector<bool>(113, false);
    std::map<IdentField, QString> idents;
    std::map<Lamp, bool> lamps;
    QStringList trip;
    int quits = 0;
};
