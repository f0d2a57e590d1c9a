#include "automation/ControlServer.h"

#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

#include "console/QtPrinters.h"
#include "automation/LineClient.h"

namespace {

// The running program shows the unix socket, the long line and the client leaving mid-line;
// these are TCP, the line splitting and the limits at their edges.
class ControlServerTest : public ::testing::Test {
protected:
    ControlServer server{[this](const QString& line) {
        handled << line;
        return QStringLiteral("OK ") + line;
    }};
    QStringList handled;
};

TEST_F(ControlServerTest, SeveralTcpClientsLinesInPiecesAndTheLimits) {
    QString error;
    ASSERT_TRUE(server.Listen(QStringLiteral("localhost:0"), &error)) << error.toStdString();
    auto first = LineClient::Tcp(server.Endpoint());
    auto second = LineClient::Tcp(server.Endpoint());
    EXPECT_EQ(second->Ask("get rpm\r"), "OK get rpm");  // a CRLF line end
    // One line in two pieces, then two lines in one piece.
    first->Send("get vol");
    QTest::qWait(20);
    first->Send("tage\nget dtc\n");
    EXPECT_EQ(first->ReadLine(), "OK get voltage");
    EXPECT_EQ(first->ReadLine(), "OK get dtc");
    EXPECT_EQ(server.ClientCount(), 2);

    const QByteArray longest(ControlServer::kMaxLineBytes, 'a');
    EXPECT_EQ(first->Ask(longest), QStringLiteral("OK ") + QString::fromLatin1(longest));
    EXPECT_EQ(first->Ask(longest + 'a'), "ERR line longer than 4096 bytes");
    EXPECT_EQ(first->Ask(QByteArray(200000, 'b')), "ERR line longer than 4096 bytes");
    EXPECT_EQ(first->Ask("ident 90 \xC3\x28"), "ERR line is not UTF-8");
    EXPECT_EQ(first->Ask("ident 90 \xD0\x9F"), QString::fromUtf8("OK ident 90 \xD0\x9F"));
    EXPECT_EQ(handled.size(), 5);
}

TEST_F(ControlServerTest, RefusesAddressesThatAreNotLoopback) {
    const std::pair<const char*, const char*> rows[] = {
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
    for (const auto& [endpoint, reason] : rows) {
        QString error;
        EXPECT_FALSE(server.Listen(QString::fromUtf8(endpoint), &error)) << endpoint;
        EXPECT_TRUE(error.contains(QLatin1String(reason))) << endpoint << ": " << error.toStdString();
    }
}

TEST_F(ControlServerTest, UnixSocketTakesOverAStaleFileButNotALiveServer) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("control.sock"));
    {
        // A socket file left behind by an earlier run that did not end cleanly.
        QLocalServer stale;
        ASSERT_TRUE(stale.listen(path));
        stale.close();
        QFile marker(path);
        ASSERT_TRUE(marker.exists() || marker.open(QIODevice::WriteOnly));
    }
    QString error;
    ASSERT_TRUE(server.Listen(QStringLiteral("unix:") + path, &error)) << error.toStdString();
    EXPECT_EQ(server.Endpoint(), QStringLiteral("unix:") + path);
    EXPECT_EQ(LineClient::Local(path)->Ask("get variant"), "OK get variant");
    ControlServer rival([](const QString&) { return QString(); });
    EXPECT_FALSE(rival.Listen(QStringLiteral("unix:") + path, &error));
}

}  // namespace
