#include "console/BenchLinkTap.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <stdexcept>
#include <vector>

namespace {

std::vector<std::uint8_t> V(std::initializer_list<int> values) {
    return std::vector<std::uint8_t>(values.begin(), values.end());
}

class BenchLinkTapTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(dir.isValid());
        tracePath = dir.filePath(QStringLiteral("trace.txt"));
    }

    QStringList TraceLines() {
        QFile file(tracePath);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        return QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    void OpenTrace() {
        QString error;
        ASSERT_TRUE(tap.OpenTrace(tracePath, &error, [this] { return ++clock; })) << error.toStdString();
    }

    QTemporaryDir dir;
    QString tracePath;
    std::int64_t clock = 1000;
    std::vector<std::vector<std::uint8_t>> port;
    QStringList errors;
    bool failWrites = false;
    BenchLinkTap tap{[this](const std::uint8_t* b, int n) {
                         if (failWrites) throw std::runtime_error("Write error (5), I/O error");
                         port.emplace_back(b, b + n);
                     },
                     [this](const QString& m) { errors << m; }};
    // 82 10 F1 21 01 A5: read live data block
    const std::vector<std::uint8_t> request = V({0x82, 0x10, 0xF1, 0x21, 0x01, 0xA5});
    // 81 F1 10 7E 00: TesterPresent reply
    const std::vector<std::uint8_t> reply = V({0x81, 0xF1, 0x10, 0x7E, 0x00});
};

TEST_F(BenchLinkTapTest, TracesChunksInAndFramesOut) {
    OpenTrace();
    tap.ChunkRead(request.data(), static_cast<int>(request.size()));
    EXPECT_FALSE(tap.FrameOut(reply.data(), static_cast<int>(reply.size())));
    EXPECT_EQ(TraceLines(), (QStringList{"1001 RX 82 10 F1 21 01 A5", "1002 TX 81 F1 10 7E 00"}));
}

TEST_F(BenchLinkTapTest, TraceIsAppendedToAnEarlierRun) {
    {
        QFile file(tracePath);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("17 RX 00\n");
    }
    OpenTrace();
    tap.ChunkRead(request.data(), 1);
    EXPECT_EQ(TraceLines(), (QStringList{"17 RX 00", "1001 RX 82"}));
}

TEST_F(BenchLinkTapTest, TraceShowsWhatReallyLeaves) {
    OpenTrace();
    tap.Faults().SetFault(ReplyFaultMode::Silent);
    EXPECT_TRUE(tap.FrameOut(reply.data(), static_cast<int>(reply.size())));
    tap.Faults().SetFault(ReplyFaultMode::BadChecksum);
    EXPECT_TRUE(tap.FrameOut(reply.data(), static_cast<int>(reply.size())));
    // 81 F1 10 7E 01: the checksum off by one, as written to the port
    EXPECT_EQ(port, std::vector<std::vector<std::uint8_t>>{V({0x81, 0xF1, 0x10, 0x7E, 0x01})});
    EXPECT_EQ(TraceLines(), QStringList{"1001 TX 81 F1 10 7E 01"});
}

TEST_F(BenchLinkTapTest, PortErrorOfADelayedReplyIsReportedNotThrown) {
    tap.Faults().SetFault(ReplyFaultMode::Delay, 0);
    failWrites = true;
    EXPECT_TRUE(tap.FrameOut(reply.data(), static_cast<int>(reply.size())));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !errors.isEmpty(); }, 5000));
    EXPECT_EQ(errors, QStringList{"Write error (5), I/O error"});
}

}  // namespace
