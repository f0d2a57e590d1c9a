#pragma once

#include <QObject>
#include <array>

#include "protocol/EcuVariant.h"

class QLineEdit;
class QToolBar;
class QToolButton;

// The controller-type toolbar: six plain buttons, the current type's drawn greyed but still
// clickable. Choosing a type writes its default ROM version into Edit2.
class EcuVariantSelector : public QObject {
    Q_OBJECT

public:
    // Adds the six buttons to the toolbar.
    EcuVariantSelector(QToolBar* toolBar, QLineEdit* romVersion, QObject* parent = nullptr);

    void SelectEcuVariant(EcuVariant variant);
    EcuVariant Current() const { return current_; }
    QToolButton* Button(EcuVariant variant) const;
    // The greyed mark of the current type.
    bool Marked(EcuVariant variant) const;

signals:
    // A type was chosen (also the current one again).
    void VariantSelected(EcuVariant variant);

private:
    std::array<QToolButton*, 6> buttons_{};
    QLineEdit* romVersion_;
    EcuVariant current_ = EcuVariant::Ja5;
};
