#pragma once

#include <QHash>
#include <QList>
#include <QSslCertificate>
#include <QSslKey>
#include <QSslSocket>
#include <QTcpServer>
#include <functional>

namespace tovin::test {

// A small web server on 127.0.0.1 for browser tests, over https with the certificate it is
// given or over plain http without one. It answers every request with what the handler
// returns and records the requests.
class LocalWebServer : public QTcpServer {
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QByteArray body;
        QByteArray headers;
    };
    struct Reply {
        Reply(QByteArray content) : body(std::move(content)) {}
        QByteArray body;
        QByteArray contentType = "text/html; charset=utf-8";
        QByteArray extraHeaders;
    };
    using Handler = std::function<Reply(const Request&)>;

    LocalWebServer(Handler handler, QSslCertificate certificate = QSslCertificate(),
                   QSslKey key = QSslKey())
        : m_handler(std::move(handler)), m_certificate(std::move(certificate)),
          m_key(std::move(key)) {
        listen(QHostAddress::LocalHost);
    }

    const QList<Request>& requests() const { return m_requests; }
    int count(const QByteArray& method, const QByteArray& path) const {
        int n = 0;
        for (const Request& r : m_requests)
            n += r.method == method && r.path == path;
        return n;
    }

protected:
    void incomingConnection(qintptr descriptor) override {
        QTcpSocket* socket = nullptr;
        if (m_certificate.isNull()) {
            socket = new QTcpSocket(this);
            socket->setSocketDescriptor(descriptor);
        } else {
            auto* tls = new QSslSocket(this);
            tls->setSocketDescriptor(descriptor);
            tls->setLocalCertificate(m_certificate);
            tls->setPrivateKey(m_key);
            tls->startServerEncryption();
            socket = tls;
        }
        connect(socket, &QTcpSocket::readyRead, this, [this, socket] { read(socket); });
        connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
    }

private:
    void read(QTcpSocket* socket) {
        QByteArray& buffer = m_buffers[socket];
        buffer += socket->readAll();
        for (;;) {
            const qsizetype end = buffer.indexOf("\r\n\r\n");
            if (end < 0)
                return;
            const QList<QByteArray> lines = buffer.left(end).split('\n');
            const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
            qsizetype length = 0;
            for (const QByteArray& line : lines)
                if (line.toLower().startsWith("content-length:"))
                    length = line.mid(15).trimmed().toLongLong();
            if (buffer.size() < end + 4 + length)
                return;
            Request request{first.value(0), first.value(1), buffer.mid(end + 4, length),
                            buffer.left(end)};
            buffer.remove(0, end + 4 + length);
            m_requests.append(request);
            const Reply reply = m_handler(request);
            socket->write("HTTP/1.1 200 OK\r\nContent-Type: " + reply.contentType +
                          "\r\nContent-Length: " + QByteArray::number(reply.body.size()) +
                          "\r\nCache-Control: no-store\r\n" + reply.extraHeaders + "\r\n" +
                          reply.body);
        }
    }

    Handler m_handler;
    QSslCertificate m_certificate;
    QSslKey m_key;
    QList<Request> m_requests;
    QHash<QTcpSocket*, QByteArray> m_buffers;
};

} // namespace tovin::test
