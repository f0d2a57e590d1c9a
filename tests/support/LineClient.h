#pragma once

#include <QLocalSocket>
#include <QTcpSocket>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

// A client that talks to the server while the test's event loop keeps the server going.
class LineClient {
public:
    explicit LineClient(std::unique_ptr<QIODevice> socket) : socket_(std::move(socket)) {}

    static std::unique_ptr<LineClient> Tcp(const QString& endpoint) {
        auto socket = std::make_unique<QTcpSocket>();
        const int colon = endpoint.lastIndexOf(':');
        socket->connectToHost(endpoint.left(colon), endpoint.mid(colon + 1).toUShort());
        QTcpSocket* raw = socket.get();
        EXPECT_TRUE(QTest::qWaitFor([raw] { return raw->state() == QAbstractSocket::ConnectedState; }, 5000));
        return std::make_unique<LineClient>(std::move(socket));
    }

    static std::unique_ptr<LineClient> Local(const QString& path) {
        auto socket = std::make_unique<QLocalSocket>();
        socket->connectToServer(path);
        QLocalSocket* raw = socket.get();
        EXPECT_TRUE(QTest::qWaitFor([raw] { return raw->state() == QLocalSocket::ConnectedState; }, 5000));
        return std::make_unique<LineClient>(std::move(socket));
    }

    void Send(const QByteArray& bytes) {
        socket_->write(bytes);
        if (auto* tcp = qobject_cast<QTcpSocket*>(socket_.get())) tcp->flush();
        if (auto* local = qobject_cast<QLocalSocket*>(socket_.get())) local->flush();
    }

    QString ReadLine() {
        QIODevice* raw = socket_.get();
        if (!QTest::qWaitFor([raw] { return raw->canReadLine(); }, 5000)) {
            return QStringLiteral("<no answer>");
        }
        return QString::fromUtf8(raw->readLine()).chopped(1);
    }

    QString Ask(const QByteArray& line) {
        Send(line + '\n');
        return ReadLine();
    }

    void Drop() { socket_.reset(); }

private:
    std::unique_ptr<QIODevice> socket_;
};
