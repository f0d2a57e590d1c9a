#include "automation/ControlServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QHostAddress>
#include <QLocalServer>
#include <QLocalSocket>
#include <QStringDecoder>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace {

const QLatin1String kUnixPrefix("unix:");

// Splits "HOST:PORT" (IPv6 as "[::1]:PORT"); false with the reason when the form is wrong.
bool SplitHostPort(const QString& endpoint, QString* host, quint16* port, QString* error) {
    const int colon = endpoint.lastIndexOf(QLatin1Char(':'));
    *host = endpoint.left(std::max(colon, 0));
    if (host->startsWith(QLatin1Char('[')) && host->endsWith(QLatin1Char(']'))) {
        *host = host->mid(1, host->size() - 2);
    }
    static const QRegularExpression kDigits(QStringLiteral(R"(^\d{1,9}$)"));
    const QString portText = endpoint.mid(colon + 1);
    if (colon <= 0 || host->isEmpty() || !kDigits.match(portText).hasMatch()) {
        *error = QStringLiteral("control address '%1' is neither HOST:PORT nor unix:PATH").arg(endpoint);
        return false;
    }
    const int value = portText.toInt();
    if (value < 1 || value > 65535) {
        *error = QStringLiteral("control address '%1': port %2 is outside 1 to 65535").arg(endpoint).arg(value);
        return false;
    }
    *port = static_cast<quint16>(value);
    return true;
}

QString SystemText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

// Whether a socket can be made at full: its folder is there and may be written, and the path
// fits a socket address. Empty when it can, else the reason.
QString SocketPathProblem(const QString& full) {
    const QFileInfo file(full);
    const QString folder = file.absolutePath();
    const QFileInfo folderInfo(folder);
    if (!folderInfo.exists()) {
        return QStringLiteral("the folder %1 does not exist").arg(folder);
    }
    if (!folderInfo.isDir()) {
        return QStringLiteral("%1 is no folder").arg(folder);
    }
    if (::access(QFile::encodeName(folder).constData(), W_OK | X_OK) != 0) {
        return QStringLiteral("cannot make a socket in the folder %1 (%2)").arg(folder, SystemText(errno));
    }
    if (static_cast<std::size_t>(QFile::encodeName(full).size()) >= sizeof(sockaddr_un::sun_path)) {
        return QStringLiteral("the path is longer than the %1 bytes a socket's name may have")
            .arg(sizeof(sockaddr_un::sun_path) - 1);
    }
    return {};
}

// Whether the socket file at path may be replaced: a socket left behind by a run that ended
// badly is removed; a live server, however busy, and anything that is no socket are kept.
// The kernel tells at once, without a time-out a busy server could miss: nobody listening is
// a refused connection, a listener with a full queue says "try again".
bool TakeOverSocketFile(const QString& path, QString* error) {
    // Where the local server puts it: a name that is no absolute path lives in the temporary folder.
    const QString full =
        path.startsWith(QLatin1Char('/')) ? path : QDir::cleanPath(QDir::tempPath()) + QLatin1Char('/') + path;
    const QByteArray name = QFile::encodeName(full);
    const auto refuse = [&](const QString& why) {
        *error = QStringLiteral("cannot listen on unix:%1: %2").arg(path, why);
        return false;
    };
    const auto systemText = SystemText;
    const QString problem = SocketPathProblem(full);
    if (!problem.isEmpty()) {
        return refuse(problem);
    }
    struct stat file {};
    if (::lstat(name.constData(), &file) != 0) {
        return errno == ENOENT || refuse(systemText(errno));
    }
    if (!S_ISSOCK(file.st_mode)) {
        return refuse(QStringLiteral("a file of that name exists and is no socket"));
    }
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    if (static_cast<std::size_t>(name.size()) >= sizeof address.sun_path) {
        return refuse(systemText(ENAMETOOLONG));
    }
    std::memcpy(address.sun_path, name.constData(), static_cast<std::size_t>(name.size()));
    const int probe = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (probe < 0) {
        return refuse(QStringLiteral("cannot tell whether another program listens there (%1)").arg(systemText(errno)));
    }
    const int connected = ::connect(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    const int connectError = connected == 0 ? 0 : errno;
    ::close(probe);
    switch (connectError) {
    case ECONNREFUSED:
        break;  // left behind: nobody listens
    case ENOENT:
        return true;  // gone meanwhile
    case 0:
    case EAGAIN:
    case EINPROGRESS:
        return refuse(QStringLiteral("another program listens there"));
    default:
        return refuse(
            QStringLiteral("cannot tell whether another program listens there (%1)").arg(systemText(connectError)));
    }
    if (::unlink(name.constData()) != 0 && errno != ENOENT) {
        return refuse(QStringLiteral("cannot remove the socket left behind (%1)").arg(systemText(errno)));
    }
    return true;
}

}  // namespace

ControlServer::ControlServer(LineHandler handler, QObject* parent)
    : QObject(parent), handler_(std::move(handler)) {}

ControlServer::~ControlServer() {
    for (auto& client : clients_) {
        if (client.socket) {
            client.socket->disconnect(this);
        }
    }
}

bool ControlServer::Listen(const QString& endpoint, QString* error) {
    if (endpoint.startsWith(kUnixPrefix)) {
        return ListenLocal(endpoint.mid(kUnixPrefix.size()), error);
    }
    return ListenTcp(endpoint, error);
}

bool ControlServer::ListenTcp(const QString& endpoint, QString* error) {
    QString host;
    quint16 port = 0;
    if (!SplitHostPort(endpoint, &host, &port, error)) {
        return false;
    }
    QHostAddress address;
    if (host == QLatin1String("localhost")) {
        address = QHostAddress(QHostAddress::LocalHost);
    } else if (!address.setAddress(host) || !address.isLoopback()) {
        *error = QStringLiteral(
                     "control address '%1' refused: only loopback addresses "
                     "(127.0.0.1, ::1, localhost) are accepted")
                     .arg(endpoint);
        return false;
    }
    tcp_ = new QTcpServer(this);
    if (!tcp_->listen(address, port)) {
        QString why = tcp_->errorString();
        if (tcp_->serverError() == QAbstractSocket::AddressInUseError) {
            why = QStringLiteral("port %1 is in use by another program").arg(port);
        } else if (tcp_->serverError() == QAbstractSocket::SocketAccessError) {
            why = QStringLiteral("port %1 may not be used without privileges").arg(port);
        }
        *error = QStringLiteral("cannot listen on %1: %2").arg(endpoint, why);
        delete tcp_;
        tcp_ = nullptr;
        return false;
    }
    connect(tcp_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = tcp_->nextPendingConnection()) {
            Adopt(socket);
        }
    });
    return true;
}

bool ControlServer::ListenLocal(const QString& path, QString* error) {
    if (path.isEmpty()) {
        *error = QStringLiteral("control address 'unix:' names no socket path");
        return false;
    }
    if (!TakeOverSocketFile(path, error)) {
        return false;
    }
    local_ = new QLocalServer(this);
    local_->setSocketOptions(QLocalServer::UserAccessOption);
    const bool listening = local_->listen(path);
    if (!listening) {
        *error = QStringLiteral("cannot listen on unix:%1: %2").arg(path, local_->errorString());
        delete local_;
        local_ = nullptr;
        return false;
    }
    connect(local_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* socket = local_->nextPendingConnection()) {
            Adopt(socket);
        }
    });
    return true;
}

QString ControlServer::Endpoint() const {
    if (local_) {
        return kUnixPrefix + local_->fullServerName();
    }
    if (tcp_) {
        const QHostAddress address = tcp_->serverAddress();
        const QString host = address.protocol() == QAbstractSocket::IPv6Protocol
                                 ? QStringLiteral("[%1]").arg(address.toString())
                                 : address.toString();
        return QStringLiteral("%1:%2").arg(host).arg(tcp_->serverPort());
    }
    return {};
}

int ControlServer::ClientCount() const {
    return static_cast<int>(clients_.size());
}

void ControlServer::Adopt(QIODevice* socket) {
    clients_.push_back({socket, {}, false});
    connect(socket, &QIODevice::readyRead, this, [this, socket] { ReadLines(socket); });
    auto gone = [this, socket] { Forget(socket); };
    if (auto* tcp = qobject_cast<QTcpSocket*>(socket)) {
        connect(tcp, &QTcpSocket::disconnected, this, gone);
    } else if (auto* local = qobject_cast<QLocalSocket*>(socket)) {
        connect(local, &QLocalSocket::disconnected, this, gone);
    }
}

void ControlServer::ReadLines(QIODevice* socket) {
    Client* client = Find(socket);
    if (!client) {
        return;
    }
    client->pending += socket->readAll();
    for (;;) {
        const int end = client->pending.indexOf('\n');
        if (end < 0) {
            break;
        }
        QByteArray line = client->pending.left(end);
        client->pending.remove(0, end + 1);
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        if (client->overlong || line.size() > kMaxLineBytes) {
            client->overlong = false;
            Reply(socket, QStringLiteral("ERR line longer than %1 bytes").arg(kMaxLineBytes));
            continue;
        }
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        const QString text = utf8.decode(line);
        if (utf8.hasError()) {
            Reply(socket, QStringLiteral("ERR line is not UTF-8"));
            continue;
        }
        Reply(socket, handler_(text));
        // The handler may have closed the connection (quit) or run an event loop.
        client = Find(socket);
        if (!client) {
            return;
        }
    }
    // Without its line end a line may be a byte longer (a carriage return); past that it is
    // too long already: keep nothing of it and refuse it when its end arrives.
    if (client->pending.size() > kMaxLineBytes + 1) {
        client->overlong = true;
        client->pending.clear();
    }
}

void ControlServer::Reply(QIODevice* socket, const QString& answer) {
    QByteArray bytes = answer.toUtf8();
    bytes.replace('\n', ' ');
    bytes.append('\n');
    socket->write(bytes);
    if (auto* tcp = qobject_cast<QTcpSocket*>(socket)) {
        tcp->flush();
    } else if (auto* local = qobject_cast<QLocalSocket*>(socket)) {
        local->flush();
    }
}

void ControlServer::Forget(QIODevice* socket) {
    clients_.erase(std::remove_if(clients_.begin(), clients_.end(),
                                  [socket](const Client& c) { return c.socket == socket; }),
                   clients_.end());
    socket->deleteLater();
}

ControlServer::Client* ControlServer::Find(QIODevice* socket) {
    for (auto& client : clients_) {
        if (client.socket == socket) {
            return &client;
        }
    }
    return nullptr;
}
