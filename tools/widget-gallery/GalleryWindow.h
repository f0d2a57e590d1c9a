#pragma once

#include <QWidget>

// Every instrument of the bench console in its main states, laid out on one panel.
class GalleryWindow : public QWidget {
    Q_OBJECT
public:
    explicit GalleryWindow(QWidget* parent = nullptr);

private:
    QWidget* Dials();
    QWidget* Sliders();
    QWidget* ReadOuts();
    QWidget* Lamps();
    QWidget* Buttons();
    QWidget* ConsoleSizes();
};
