#pragma once

#include <QObject>
#include <QString>
#include <functional>

#include "drive/Verdict.h"

class CycleDriver;
class QComboBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableWidget;
class QWidget;

// The tab "Ездовой цикл": the cycle choice, start and stop, the progress with the phase and
// the time gone and left, both references as they grow, the figures read off the device,
// the tolerances, the verdict and the report.
class CyclePanel : public QObject {
    Q_OBJECT

public:
    struct Actions {
        std::function<QString(const QString& wordOrPath)> start;  // the reason it did not start, or nothing
        std::function<QString(const QString& path)> saveReport;   // the reason it was not saved, or nothing
        std::function<void(const Tolerances&)> storeTolerances;
        std::function<void(const QString&)> tell;                  // a message to the operator
    };

    CyclePanel(QWidget* page, CycleDriver& driver, Actions actions, QObject* parent = nullptr);

    QString DeviceDescription() const;
    void ShowTolerances(const Tolerances& tolerances);
    void Refresh();

private:
    void Start();
    void EnterFigures();
    void ToleranceEdited();
    void SaveReport();

    CycleDriver& driver_;
    Actions actions_;
    QComboBox* choice_;
    QPushButton* start_;
    QPushButton* stop_;
    QProgressBar* progress_;
    QTableWidget* references_;
    QLabel* polls_;
    QLineEdit* entries_[5];
    QLineEdit* distanceTolerance_;
    QLineEdit* fuelTolerance_;
    QLabel* verdict_;
    QTableWidget* figures_;
    QLineEdit* device_;
};
