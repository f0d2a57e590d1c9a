#include "console/MessageReporter.h"

#include <QMessageBox>

void MessageReporter::Report(QWidget* parent, const QString& message) const {
    if (sink_) {
        sink_(message);
        return;
    }
    QMessageBox::critical(parent, QString(), message);
}

void MessageReporter::Note(const QString& message) const {
    if (sink_) sink_(message);
}
