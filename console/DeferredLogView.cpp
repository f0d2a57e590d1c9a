#include "console/DeferredLogView.h"

#include <algorithm>

DeferredLogView::DeferredLogView(int capacity, QWidget* parent)
    : QPlainTextEdit(parent), ring_(static_cast<std::size_t>(std::max(capacity, 1))) {
    setMaximumBlockCount(Capacity());
}

void DeferredLogView::AppendLine(const std::string& line) {
    if (count_ < ring_.size()) {
        ring_[(first_ + count_++) % ring_.size()].assign(line);
    } else {
        ring_[first_].assign(line);  // the slot keeps its storage: no allocation once warm
        first_ = (first_ + 1) % ring_.size();
    }
    if (isVisible() && !behind_) {
        appendPlainText(QString::fromStdString(line));
    } else {
        behind_ = true;
    }
}

QString DeferredLogView::Text() const {
    QString text;
    for (std::size_t i = 0; i < count_; ++i) {
        if (i > 0) text += QLatin1Char('\n');
        text += QString::fromStdString(ring_[(first_ + i) % ring_.size()]);
    }
    return text;
}

void DeferredLogView::showEvent(QShowEvent* event) {
    if (behind_) {
        setPlainText(Text());
        behind_ = false;
    }
    QPlainTextEdit::showEvent(event);
}
