#include "console/ControlServer.h"

#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "console/LineClient.h"

namespace {

class ControlServerTest : public ::testing::Test {
protected:
    ControlServer server{[this](const QString& line) {
        handled << line;
        return QStringLiteral("OK ") + line;
    }};
    QStringList handled;
};

TEST_F(ControlServerTest, AnswersEachLineOfSeveralTcpClients) {
    QString error;
    ASSERT_TRUE(server.Listen(QStringLiteral("127.0.0.1:0"), &error)) << error.toStdString();
    auto first = LineClient::Tcp(server.Endpoint());
    auto second = LineClient::Tcp(server.Endpoint());
    EXPECT_EQ(first->Ask("get speed"), "OK get speed");
    EXPECT_EQ(second->Ask("get rpm\r"), "OK get rpm");  // a CRLF line end
    // One line in two pieces, then two lines in one piece.
    first->Send("get vol");
    QTest::qWait(20);
    first->Send("tage\nget dtc\n");
    EXPECT_EQ(first->ReadLine(), "OK get voltage");
    EXPECT_EQ(first->ReadLine(), "OK get dtc");
    EXPECT_EQ(server.ClientCount(), 2);
}

TEST_F(ControlServerTest, TooLongLineIsRefusedAndTheConnectionStaysUsable) {
    QString error;
    ASSERT_TRUE(server.Listen(QStringLiteral("localhost:0"), &error)) << error.toStdString();
    auto client = LineClient::Tcp(server.Endpoint());
    const QByteArray longest(ControlServer::kMaxLineBytes, 'a');
    EXPECT_EQ(client->Ask(longest), QStringLiteral("OK ") + QString::fromLatin1(longest));
    EXPECT_EQ(client->Ask(longest + 'a'), "ERR line longer than 4096 bytes");
    EXPECT_EQ(client->Ask(QByteArray(200000, 'b')), "ERR line longer than 4096 bytes");
    EXPECT_EQ(client->Ask("get trip"), "OK get trip");
    EXPECT_EQ(handled.size(), 2);
}

TEST_F(ControlServerTest, NonUtf8LineIsRefused) {
    QString error;
    ASSERT_TRUE(server.Listen(QStringLiteral("127.0.0.1:0"), &error));
    auto client = LineClient::Tcp(server.Endpoint());
    EXPECT_EQ(client->Ask("ident 90 \xC3\x28"), "ERR line is not UTF-8");
    EXPECT_EQ(client->Ask("ident 90 \xD0\x9F"), QString::fromUtf8("OK ident 90 \xD0\x9F"));
    EXPECT_EQ(handled.size(), 1);
}

TEST_F(ControlServerTest, ClientDroppingMidLineLeavesNoTrace) {
    QString error;
    ASSERT_TRUE(server.Listen(QStringLiteral("127.0.0.1:0"), &error));
    auto leaving = LineClient::Tcp(server.Endpoint());
    auto staying = LineClient::Tcp(server.Endpoint());
    leaving->Send("click ignit");
    QTest::qWait(20);
    leaving->Drop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.ClientCount() == 1; }, 5000));
    EXPECT_EQ(staying->Ask("ion"), "OK ion");  // the dropped half does not join another line
    EXPECT_EQ(handled, QStringList{"ion"});
}

TEST_F(ControlServerTest, RefusesAddressesThatAreNotLoopback) {
    struct Row {
        const char* endpoint;
        const char* reasonPart;
    };
    const Row rows[] = {
        {"0.0.0.0:5555", "only loopback"},
        {"192.168.1.10:5555", "only loopback"},
        {"[::]:5555", "only loopback"},
        {"example.com:5555", "only loopback"},
        {"127.0.0.1", "neither HOST:PORT"},
        {"127.0.0.1:70000", "neither HOST:PORT"},
        {"127.0.0.1:-1", "neither HOST:PORT"},
        {":5555", "neither HOST:PORT"},
        {"unix:", "names no socket path"},
    };
    for (const auto& row : rows) {
        ControlServer refused([](const QString&) { return QString(); });
        QString error;
        EXPECT_FALSE(refused.Listen(QString::fromUtf8(row.endpoint), &error)) << row.endpoint;
        EXPECT_TRUE(error.contains(QLatin1String(row.reasonPart)))
            << row.endpoint << ": " << error.toStdString();
    }
}

TEST_F(ControlServerTest, IPv6LoopbackIsAccepted) {
    QString error;
    if (!server.Listen(QStringLiteral("[::1]:0"), &error)) {
        GTEST_SKIP() << "no IPv6 loopback here: " << error.toStdString();
    }
    EXPECT_TRUE(server.Endpoint().startsWith(QLatin1String("[::1]:")));
}

TEST_F(ControlServerTest, UnixSocketServesAndTakesOverAStaleFile) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("control.sock"));
    {
        // A socket file left behind by an earlier run that did not end cleanly.
        QLocalServer stale;
        ASSERT_TRUE(stale.listen(path));
        stale.setParent(nullptr);
        stale.close();
        QFile marker(path);
        if (!marker.exists()) {
            ASSERT_TRUE(marker.open(QIODevice::WriteOnly));
        }
    }
    QString error;
    ASSERT_TRUE(server.Listen(QStringLiteral("unix:") + path, &error)) << error.toStdString();
    EXPECT_EQ(server.Endpoint(), QStringLiteral("unix:") + path);
    auto first = LineClient::Local(path);
    auto second = LineClient::Local(path);
    EXPECT_EQ(first->Ask("get variant"), "OK get variant");
    EXPECT_EQ(second->Ask("get fault"), "OK get fault");

    ControlServer rival([](const QString&) { return QString(); });
    EXPECT_FALSE(rival.Listen(QStringLiteral("unix:") + path, &error));  // a live server is kept
}

}  // namespace
