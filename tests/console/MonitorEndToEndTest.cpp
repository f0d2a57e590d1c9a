#include <QFile>
#include <QLabel>
#include <QTableView>
#include <QTemporaryDir>

#include "ConsoleOnPty.h"
#include "monitorview/MonitorModel.h"
#include "monitorview/MonitorWindow.h"
#include "monitor/LinkMonitor.h"

namespace {

// The program shown and active with its ignition on, driven with real key and mouse events.
class MonitorEndToEnd : public ConsoleOnPty {
protected:
    void Start() {
        ConsoleOnPty::Start();
        form_->show();
        form_->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
        Press("UiColBitBtn2");
    }
    MonitorWindow* OpenWithF12() {
        QTest::keyClick(form_.get(), Qt::Key_F12);
        EXPECT_NE(form_->MonitorWindowIfMade(), nullptr);
        return form_->MonitorWindowIfMade();
    }
    // The texts of the rows a view shows, columns from `from` on (the time column differs
    // between a live run and its trace read back, whose time starts at its first row).
    static QStringList Rows(QAbstractItemModel* model, int from = MonitorModel::ColGap) {
        QStringList rows;
        for (int r = 0; r < model->rowCount(); ++r) {
            QStringList cells;
            for (int c = from; c < model->columnCount(); ++c) cells << model->index(r, c).data().toString();
            rows << cells.join(QStringLiteral(" | "));
        }
        return rows;
    }
};

TEST_F(MonitorEndToEnd, RowsDecodedSavedAndReopened) {
    Start();
    MonitorWindow* window = OpenWithF12();
    ASSERT_NE(window, nullptr);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Монитор K-линии"));

    ASSERT_EQ(tester_.Exchange({0x81, 0x10, 0xF1, 0x81, 0x03}).size(), 7u);
    ASSERT_GT(tester_.Exchange({0x82, 0x10, 0xF1, 0x21, 0x01, 0xA5}).size(), 10u);
    tester_.Send({0x81, 0x11, 0xF1, 0x3E, 0xC1});
    QAbstractItemModel* view = window->View().model();
    QTRY_COMPARE_WITH_TIMEOUT(view->rowCount(), 5, 2000);
    const QStringList rows = Rows(view, MonitorModel::ColDirection);
    EXPECT_EQ(rows[0], "тестер → ЭБУ | 81 10 F1 81 03 | StartCommunication | fmt 81, to 10, from F1, len 1");
    EXPECT_EQ(rows[1], "ЭБУ → тестер | 83 F1 10 C1 6B 8F 3F | "
                       "StartCommunication positive, key bytes 6B 8F | fmt 83, to F1, from 10, len 3");
    EXPECT_TRUE(rows[3].contains("ReadDataByLocalIdentifier positive 01: run-state") &&
                rows[3].contains("coolant 20 °C"))
        << rows[3].toStdString();
    // The unanswered request's reason comes as a row of its own, in red.
    QTRY_COMPARE_WITH_TIMEOUT(view->rowCount(), 6, 2000);
    EXPECT_EQ(view->index(5, MonitorModel::ColMeaning).data().toString(), "request unanswered: another address");
    EXPECT_TRUE(view->index(5, 0).data(Qt::ForegroundRole).isValid());
    EXPECT_FALSE(view->index(4, 0).data(Qt::ForegroundRole).isValid());

    // Saved and opened again: the same rows and the same report, offline.
    const QString path = dir_.filePath(QStringLiteral("bench.trace"));
    QString error;
    ASSERT_TRUE(window->SaveTo(path, false, &error)) << error.toStdString();
    ASSERT_TRUE(window->SaveTo(dir_.filePath(QStringLiteral("bench.csv")), true, &error));
    MonitorWindow* offline = MonitorWindow::OpenTrace(path, form_.get(), &error);
    ASSERT_NE(offline, nullptr) << error.toStdString();
    EXPECT_EQ(Rows(offline->View().model()), Rows(view));
    EXPECT_EQ(offline->Monitor().Report().Json(), form_->Monitor().Report().Json());
    EXPECT_EQ(ReadFile(dir_.filePath(QStringLiteral("bench.csv"))).count('\n'), 7);  // a head line, 6 rows
    offline->close();
    EXPECT_EQ(MonitorWindow::OpenTrace(dir_.filePath(QStringLiteral("missing.trace")), form_.get(), &error), nullptr);
    EXPECT_FALSE(error.isEmpty());
}

// A long trace: the window keeps the last 100 000 rows, the report counts every row, and lines
// that are no row are counted and said; a file over 256 MB is refused before it is read.
TEST(MonitorTraceOpen, KeepsTheLastRowsReportsThemAllAndCountsWhatItCouldNotRead) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("long.trace"));
    const int rows = 100005;
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        // A latency timer no adapter has is taken as not known.
        QByteArray text = "# resolution usb-adapter 1e17\n# resolution pseudo-terminal 0\n# variant B7\ngarbage line\n";
        for (int i = 0; i < rows; ++i) text += QByteArray::number(1000000 + i * 100000LL) + " RX 81 10 F1 3E C0\n";
        text += "12 RX 8\n\xff\xfe\n";
        f.write(text);
    }
    QString error;
    std::unique_ptr<MonitorWindow> window(MonitorWindow::OpenTrace(path, nullptr, &error));
    ASSERT_NE(window, nullptr) << error.toStdString();
    const MonitorRing& ring = window->Monitor().Ring();
    EXPECT_EQ(ring.Size(), 100000u);
    EXPECT_EQ(ring.At(ring.FirstNumber()).atUs, 1000000 + 5 * 100000LL);  // the first five went
    int requests = 0;
    for (const auto& [service, count] : window->Monitor().Report().Compute().requests) requests += count;
    EXPECT_EQ(requests, rows);
    const QString status = window->findChild<QLabel*>(QStringLiteral("MonitorStatus"))->text();
    EXPECT_TRUE(status.contains(QStringLiteral("3 lines not understood"))) << status.toStdString();

    const QString big = dir.filePath(QStringLiteral("big.trace"));
    {
        QFile f(big);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("0 RX 81 10 F1 3E C0\n");
        ASSERT_TRUE(f.resize(256LL * 1024 * 1024 + 1));  // sparse: nothing is written
    }
    EXPECT_EQ(MonitorWindow::OpenTrace(big, nullptr, &error), nullptr);
    EXPECT_TRUE(error.contains(QStringLiteral("more than the 256 MB a trace may have"))) << error.toStdString();
}

TEST_F(MonitorEndToEnd, ButtonOpensTheSameWindowWhichKeepsItsPlace) {
    Start();
    Press("MonitorButton");
    MonitorWindow* window = form_->MonitorWindowIfMade();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(OpenWithF12(), window);
    const QRect place(40, 60, 1010, 590);
    window->setGeometry(place);
    form_.reset();  // closing the program keeps the monitor's place
    Start();
    EXPECT_EQ(form_->MonitorWindowIfMade(), nullptr);  // nothing is built until it is opened
    EXPECT_EQ(OpenWithF12()->geometry(), place);
}

}  // namespace
