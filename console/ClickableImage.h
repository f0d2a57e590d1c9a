#pragma once

#include <QLabel>

// A picture on the About tab that opens the web address when clicked.
class ClickableImage : public QLabel {
    Q_OBJECT

public:
    explicit ClickableImage(QWidget* parent = nullptr);

signals:
    void Clicked();

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};
