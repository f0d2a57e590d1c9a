#pragma once

#include <QPlainTextEdit>
#include <QString>
#include <cstddef>
#include <string>
#include <vector>

// A log view of the last lines appended, as many as its capacity. The lines are
// kept in a ring; the text view lays them out only while it is shown, or when it is shown
// again after lines came in hidden. A log that nobody looks at costs a string copy a line.
class DeferredLogView : public QPlainTextEdit {
public:
    explicit DeferredLogView(int capacity, QWidget* parent = nullptr);

    // UTF-8 text of one line; the oldest line goes once the capacity is full.
    void AppendLine(const std::string& line);
    int Capacity() const { return static_cast<int>(ring_.size()); }
    // The lines held, oldest first, one per line of text: what the view shows.
    QString Text() const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    std::vector<std::string> ring_;
    std::size_t first_ = 0;  // oldest line
    std::size_t count_ = 0;
    bool behind_ = false;    // lines came in while hidden
};
