#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <string>

#include "support/QtPrinters.h"
#include "console/DeferredLogView.h"

namespace {

std::string Line(int n) { return " - >  81 10 F1 3E C0 #" + std::to_string(n); }

// The log holds and shows what a text view capped at the same number of lines would show,
// however many lines came and whether they came while it was hidden or shown.
TEST(DeferredLogView, ShowsWhatACappedTextViewWouldShow) {
    struct Row {
        const char* what;
        int capacity, hiddenLines, shownLines;
    } rows[] = {
        {"nothing yet", 5, 0, 0},
        {"fewer than the cap, hidden", 5, 3, 0},
        {"exactly the cap", 5, 5, 0},
        {"past the cap: the oldest go", 5, 12, 0},
        {"more while shown", 5, 2, 2},
        {"past the cap while shown", 5, 4, 9},
        {"the console's log", 1000, 2500, 10},
    };
    for (const Row& row : rows) {
        QPlainTextEdit reference;
        reference.setMaximumBlockCount(row.capacity);
        DeferredLogView log(row.capacity);
        int n = 0;
        for (int i = 0; i < row.hiddenLines; ++i, ++n) {
            log.AppendLine(Line(n));
            reference.appendPlainText(QString::fromStdString(Line(n)));
        }
        EXPECT_EQ(log.Text(), reference.toPlainText()) << row.what;
        EXPECT_TRUE(log.toPlainText().isEmpty()) << row.what << ": laid out while hidden";
        log.show();
        EXPECT_EQ(log.toPlainText(), reference.toPlainText()) << row.what;
        for (int i = 0; i < row.shownLines; ++i, ++n) {
            log.AppendLine(Line(n));
            reference.appendPlainText(QString::fromStdString(Line(n)));
        }
        EXPECT_EQ(log.toPlainText(), reference.toPlainText()) << row.what;
        EXPECT_EQ(log.Text(), reference.toPlainText()) << row.what;
        // Hidden again, more lines, shown again: the view catches up.
        log.hide();
        log.AppendLine(Line(n));
        reference.appendPlainText(QString::fromStdString(Line(n)));
        log.show();
        EXPECT_EQ(log.toPlainText(), reference.toPlainText()) << row.what;
    }
}

}  // namespace
