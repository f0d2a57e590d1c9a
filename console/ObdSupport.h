#pragma once

#include <QObject>

#include "emulator/ObdOption.h"
#include "settings/ObdSettings.h"
#include "protocol/EcuVariant.h"

class EcuVariantSelector;
class QLabel;

// The console's hold on the OBD-II option: which controller types answer OBD-II requests
// in this run, and the "OBD-II" mark by the type buttons while the current type does.
class ObdSupport : public QObject {
    Q_OBJECT

public:
    ObdSupport(ObdOption& option, EcuVariantSelector& selector, QLabel* mark, QObject* parent = nullptr);

    void Apply(const ObdSettings::PerVariant& enabled);
    void SetAll(bool on);
    bool Enabled(EcuVariant variant) const;
    // Whether the current type answers OBD-II: what the mark shows.
    bool CurrentAnswers() const;

private:
    void Refresh();

    ObdOption& option_;
    EcuVariantSelector& selector_;
    QLabel* mark_;
};
