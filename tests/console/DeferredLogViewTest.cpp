#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <string>

#include "support/QtPrinters.h"
#include "console/DeferredLogView.h"

namespace {

// The log holds and shows what a text view capped at the same number of lines would show,
// however many lines came and whether they came while it was hidden or shown.
TEST(DeferredLogView, ShowsWhatACappedTextViewWouldShow) {
    struct Row {
        const char* what;
        int capacity, hiddenLines, shownLines;
    } rows[] = {
        {"nothing yet", 5, 0, 0},
        {"exactly the cap", 5, 5, 0},
        {"past the cap: the oldest go", 5, 12, 0},
        {"past the cap while shown", 5, 4, 9},
    };
    for (const Row& row : rows) {
        QPlainTextEdit reference;
        reference.setMaximumBlockCount(row.capacity);
        DeferredLogView log(row.capacity);
        int n = 0;
        auto add = [&](int lines) {
            for (int end = n + lines; n < end; ++n) {
                const std::string line = " - >  81 10 F1 3E C0 #" + std::to_string(n);
                log.AppendLine(line);
                reference.appendPlainText(QString::fromStdString(line));
            }
        };
        add(row.hiddenLines);
        EXPECT_EQ(log.Text(), reference.toPlainText()) << row.what;
        EXPECT_TRUE(log.toPlainText().isEmpty()) << row.what << ": laid out while hidden";
        log.show();
        EXPECT_EQ(log.toPlainText(), reference.toPlainText()) << row.what;
        add(row.shownLines);
        EXPECT_EQ(log.toPlainText(), reference.toPlainText()) << row.what;
        EXPECT_EQ(log.Text(), reference.toPlainText()) << row.what;
    }
}

}  // namespace
