#include "automation/ControlServer.h"

#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

#include "support/QtPrinters.h"
#include "support/LineClient.h"

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
    QTcpServer probe;  // a port free a moment ago
    ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
    const quint16 port = probe.serverPort();
    probe.close();
    ASSERT_TRUE(server.Listen(QStringLiteral("localhost:%1").arg(port), &error)) << error.toStdString();
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

    // A client that leaves in the middle of a line: the half line goes with it.
    second->Send("get rpm\nset speed 9");
    EXPECT_EQ(second->ReadLine(), "OK get rpm");
    second->Drop();
    EXPECT_TRUE(QTest::qWaitFor([&] { return server.ClientCount() == 1; }, 5000));
    EXPECT_EQ(handled.size(), 6);
    EXPECT_EQ(handled.last(), "get rpm");
}

TEST_F(ControlServerTest, RefusesAddressesThatCannotWorkAndSaysWhy) {
    QTemporaryDir dir;
    QFile plain(dir.filePath(QStringLiteral("plain")));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    QTcpServer taken;
    ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
    const QString in = QStringLiteral("unix:") + dir.path() + '/', port = QString::number(taken.serverPort());
    const QString longPath = in + QString(120, QLatin1Char('s')), cannot = QStringLiteral("cannot listen on %1: %2");
    const std::pair<QString, QString> rows[] = {  // the address, the refusal whole or a part of it
        {in + "none/c.sock", cannot.arg(in + "none/c.sock", "the folder " + dir.path() + "/none does not exist")},
        {in + "plain/c.sock", cannot.arg(in + "plain/c.sock", plain.fileName() + " is no folder")},
        {longPath, cannot.arg(longPath, "the path is longer than the 107 bytes a socket's name may have")},
        {"127.0.0.1:" + port, cannot.arg("127.0.0.1:" + port, "port " + port + " is in use by another program")},
        // a LAN address and a host name: the program's own refusals at start
        {"0.0.0.0:5555", "only loopback"}, {"[::]:5555", "only loopback"}, {"127.0.0.1", "neither HOST:PORT"},
        {"127.0.0.1:99999", "control address '127.0.0.1:99999': port 99999 is outside 1 to 65535"},
        {"localhost:0", "control address 'localhost:0': port 0 is outside 1 to 65535"},
        {"127.0.0.1:-1", "neither HOST:PORT"}, {"127.0.0.1:12x", "neither HOST:PORT"},
        {":5555", "neither HOST:PORT"}, {"unix:", "names no socket path"},
    };
    for (const auto& [endpoint, reason] : rows) {
        QString error;
        EXPECT_FALSE(server.Listen(endpoint, &error)) << endpoint.toStdString();
        const bool whole = reason.startsWith(QLatin1String("cannot listen"));
        EXPECT_TRUE(whole ? error == reason : error.contains(reason)) << error.toStdString();
    }
}

sockaddr_un AddressOf(const QString& path) {
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray name = QFile::encodeName(path);
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    return address;
}

// What may sit at the socket path when the program starts; it lives as long as the row.
struct Occupant {
    ~Occupant() {
        for (int fd : fds) ::close(fd);
    }
    // A unix socket bound to path; listening with the given queue, or not at all.
    int Bind(const QString& path, int queue = -1) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        fds.push_back(fd);
        const sockaddr_un address = AddressOf(path);
        EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0) << std::strerror(errno);
        EXPECT_TRUE(queue < 0 || ::listen(fd, queue) == 0) << std::strerror(errno);
        return fd;
    }
    // Connections nobody accepts until the listener's queue turns the next one away.
    bool FillQueue(const QString& path) {
        const sockaddr_un address = AddressOf(path);
        for (int i = 0; i < 64; ++i) {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            fds.push_back(fd);
            if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return errno == EAGAIN;
        }
        return false;
    }

    std::vector<int> fds;
    std::unique_ptr<QLocalServer> server;
};

TEST(ControlServerUnixSocket, TakesOverASocketLeftBehindButNothingElse) {
    using Prepare = std::function<void(const QString& path, Occupant&)>;
    const std::tuple<const char*, Prepare, const char*> rows[] = {  // what, set-up, refusal (nullptr: listens)
        {"nothing there", [](const QString&, Occupant&) {}, nullptr},
        // a run that ended badly: the socket file stays, nobody listens
        {"socket left behind", [](const QString& path, Occupant& o) { ::close(o.Bind(path)); o.fds.pop_back(); },
         nullptr},
        {"live server", [](const QString& path, Occupant& o) {
             o.server = std::make_unique<QLocalServer>();
             ASSERT_TRUE(o.server->listen(path)); }, "another program listens there"},
        // a live server stuck in a long command: its queue is full and takes no one in
        {"busy server", [](const QString& path, Occupant& o) {
             o.Bind(path, 0);
             ASSERT_TRUE(o.FillQueue(path)); }, "another program listens there"},
        {"plain file", [](const QString& path, Occupant&) {
             QFile file(path);
             ASSERT_TRUE(file.open(QIODevice::WriteOnly));
             file.write("notes"); }, "a file of that name exists and is no socket"},
    };
    for (const auto& [what, prepare, refusal] : rows) {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("control.sock"));
        Occupant occupant;
        prepare(path, occupant);
        const bool existed = QFileInfo::exists(path);
        QString error;
        ControlServer server([](const QString& line) { return QStringLiteral("OK ") + line; });
        ASSERT_EQ(server.Listen(QStringLiteral("unix:") + path, &error), refusal == nullptr) << what;
        if (refusal) {
            EXPECT_EQ(error, QStringLiteral("cannot listen on unix:%1: %2").arg(path, refusal)) << what;
            EXPECT_EQ(QFileInfo::exists(path), existed) << what << ": what was there is kept";
            continue;
        }
        EXPECT_EQ(server.Endpoint(), QStringLiteral("unix:") + path) << what;
        EXPECT_EQ(LineClient::Local(path)->Ask("get variant"), "OK get variant") << what;
        ControlServer rival([](const QString&) { return QString(); });
        EXPECT_FALSE(rival.Listen(QStringLiteral("unix:") + path, &error)) << what;
    }
}

}  // namespace
