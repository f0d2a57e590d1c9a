#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <map>

#include "protocol/EcuVariant.h"

#include "console/MessageReporter.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class SettingsStore;

// The settings dialog "Настройка": port, fluctuation switch and percentage, which controller
// types answer OBD-II requests, and how the controller behaves on the line (reply timing and
// framing). The port and the fluctuation take effect at the next start, the rest at once (the
// window listens to Stored). Created once, hidden, and only shown and hidden.
class TForm2 : public QDialog {
    Q_OBJECT

public:
    TForm2(SettingsStore& store, MessageReporter reporter, QWidget* parent = nullptr,
           QString devRoot = QStringLiteral("/dev"));

    // "Настройка" on the main window: load the store into the controls and show the dialog
    // modeless (or bring it to the front), discarding anything typed and not stored.
    void LoadAndShow();
    void Load();

    // OK: store the dialog's state and hide it. A bad percentage or a failed write is
    // reported and the dialog stays open; nothing is stored after a refusal.
    void BitBtn1Click();
    // Cancel: hide without storing.
    void BitBtn2Click();
    // "ISO 14230": P2 25 ms, P1 0 ms.
    void ButtonIso14230Click();

signals:
    // OK stored the dialog's state.
    void Stored();

private:
    void FillPortList(const QString& storedName);
    QLayout* BuildFramingGroup();
    QLayout* BuildTimingGroup();
    QLayout* BuildSlowInitGroup();
    QLayout* BuildObdProtocolsGroup();

    SettingsStore& store_;
    MessageReporter reporter_;
    QString devRoot_;

    QLabel* Label1_;
    QComboBox* ComboBox1_;
    QLabel* Label2_;
    QLabel* Label3_;
    QCheckBox* CheckBox1_;
    QLabel* Label4_;
    QLineEdit* Edit1_;
    // Reply timing: P2 and P1 in ms, and the preset of the standard's default timing.
    QSpinBox* SpinBoxP2_ = nullptr;
    QSpinBox* SpinBoxP1_ = nullptr;
    QPushButton* ButtonIso14230_ = nullptr;
    // Per controller type: live-data replies framed as the real controllers do.
    std::map<EcuVariant, QCheckBox*> realFraming_;
    // Per controller type: a slow init answered at the type's own address.
    std::map<EcuVariant, QCheckBox*> slowInit_;
    // How OBD-II testers may open the link: fast init, slow init, ISO 9141-2.
    QCheckBox* ObdFast_ = nullptr;
    QCheckBox* ObdSlow_ = nullptr;
    QCheckBox* ObdIso9141_ = nullptr;
    QPushButton* BitBtn1_;
    QPushButton* BitBtn2_;
    QLabel* ObdLabel_;
    std::array<QCheckBox*, 6> obdBoxes_{};  // in toolbar order
};
