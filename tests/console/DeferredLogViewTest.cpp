#include <QPlainTextEdit>
#include <gtest/gtest.h>
#include <string>
#include <tuple>

#include "support/QtPrinters.h"
#include "console/DeferredLogView.h"

namespace {

// The log holds and shows what a text view capped at the same number of lines would show,
// however many lines came and whether they came while it was hidden or shown.
TEST(DeferredLogView, ShowsWhatACappedTextViewWouldShow) {
    const std::tuple<const char*, int, int, int> rows[] = {  // what, cap, lines while hidden, then shown
        {"nothing yet", 5, 0, 0},
        {"exactly the cap", 5, 5, 0},
        {"past the cap: the oldest go", 5, 12, 0},
        {"past the cap while shown", 5, 4, 9},
    };
    for (const auto& [what, capacity, hiddenLines, shownLines] : rows) {
        QPlainTextEdit reference;
        reference.setMaximumBlockCount(capacity);
        DeferredLogView log(capacity);
        int n = 0;
        auto add = [&](int lines) {
            for (int end = n + lines; n < end; ++n) {
                const std::string line = " - >  81 10 F1 3E C0 #" + std::to_string(n);
                log.AppendLine(line);
                reference.appendPlainText(QString::fromStdString(line));
            }
        };
        add(hiddenLines);
        EXPECT_EQ(log.Text(), reference.toPlainText()) << what;
        EXPECT_TRUE(log.toPlainText().isEmpty()) << what << ": laid out while hidden";
        log.show();
        EXPECT_EQ(log.toPlainText(), reference.toPlainText()) << what;
        add(shownLines);
        EXPECT_EQ(log.toPlainText(), reference.toPlainText()) << what;
        EXPECT_EQ(log.Text(), reference.toPlainText()) << what;
    }
}

}  // namespace
