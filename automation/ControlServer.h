#pragma once

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>
#include <vector>

class QIODevice;
class QLocalServer;
class QTcpServer;

// The control interface's listener: "HOST:PORT" on a loopback address (TCP) or "unix:PATH"
// (local socket). Several clients at once; each line of at most kMaxLineBytes bytes gets one
// answer line from the handler. A longer line is refused and the connection stays usable; a
// client that leaves in the middle of a line leaves no trace.
class ControlServer : public QObject {
    Q_OBJECT
public:
    static constexpr int kMaxLineBytes = 4096;
    // Takes the line without its line end; returns the answer without its line end.
    using LineHandler = std::function<QString(const QString& line)>;

    explicit ControlServer(LineHandler handler, QObject* parent = nullptr);
    ~ControlServer() override;

    // Starts listening; on failure returns false with a message fit for the operator.
    bool Listen(const QString& endpoint, QString* error);
    // Where it listens, in the form Listen takes.
    QString Endpoint() const;
    int ClientCount() const;

private:
    struct Client {
        QPointer<QIODevice> socket;
        QByteArray pending;
        bool overlong = false;  // the current line ran past the limit and is being skipped
    };

    bool ListenTcp(const QString& endpoint, QString* error);
    bool ListenLocal(const QString& path, QString* error);
    void Adopt(QIODevice* socket);
    void ReadLines(QIODevice* socket);
    void Reply(QIODevice* socket, const QString& answer);
    void Forget(QIODevice* socket);
    Client* Find(QIODevice* socket);

    LineHandler handler_;
    QTcpServer* tcp_ = nullptr;
    QLocalServer* local_ = nullptr;
    std::vector<Client> clients_;
};
