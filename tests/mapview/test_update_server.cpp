#include "test_update_server.h"

#include <QNetworkProxy>
#include <QNetworkRequest>
#include <QTcpSocket>
#include <QTimer>

#include <gtest/gtest.h>

#include <memory>

namespace sotrix::test {

ScriptedHttpServer::ScriptedHttpServer() {
    EXPECT_TRUE(server_.listen(QHostAddress::LocalHost, 0));
    connect(&server_, &QTcpServer::newConnection, this, [this] {
        while (QTcpSocket* socket = server_.nextPendingConnection()) {
            ++connections;
            connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
            if (mode == Mode::CloseAtOnce) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            auto request = std::make_shared<QByteArray>();
            connect(socket, &QTcpSocket::readyRead, this, [this, socket, request] {
                const bool complete = request->contains("\r\n\r\n");
                *request += socket->readAll();
                if (complete || !request->contains("\r\n\r\n")) return;
                paths << QString::fromLatin1(request->split(' ').value(1));
                answer(socket);
            });
        }
    });
}

QString ScriptedHttpServer::base(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void ScriptedHttpServer::answer(QTcpSocket* socket) {
    switch (mode) {
    case Mode::Silent:
    case Mode::CloseAtOnce:
        return;
    case Mode::Trickle: {
        socket->write("HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n<");
        auto* timer = new QTimer(socket);
        connect(timer, &QTimer::timeout, socket, [socket] { socket->write(" "); });
        timer->start(100);
        return;
    }
    case Mode::Document:
        break;
    }
    // HTTP/1.0 without a length: the body ends with the connection.
    socket->write(QByteArray("HTTP/1.0 ") + QByteArray::number(reply_.status) + " X\r\nContent-Type: text/xml\r\n\r\n");
    const QByteArray body = reply_.body;
    const int pieces = std::max(1, reply_.pieces);
    const qsizetype size = (body.size() + pieces - 1) / pieces;
    for (int i = 0; i < pieces; ++i)
        QTimer::singleShot(reply_.delayMs * i, socket, [socket, part = body.mid(i * size, size)] { socket->write(part); });
    QTimer::singleShot(reply_.delayMs * pieces, socket, [socket] { socket->disconnectFromHost(); });
}

QByteArray updateDocument(const QString& version, const QString& url) {
    return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sotrix>\n  <version> %1 </version>\n"
                          "  <url>%2</url>\n</sotrix>")
        .arg(version, url)
        .toUtf8();
}

LoopbackOnlyManager::LoopbackOnlyManager() { setProxy(QNetworkProxy::NoProxy); }

QNetworkReply* LoopbackOnlyManager::createRequest(Operation op, const QNetworkRequest& request, QIODevice* data) {
    if (request.url().host() != QLatin1String("127.0.0.1")) {
        ADD_FAILURE() << "request to a host off the loopback: " << request.url().toString().toStdString();
        // A scheme no manager knows: the reply fails at once, nothing leaves the machine.
        return QNetworkAccessManager::createRequest(op, QNetworkRequest(QUrl(QStringLiteral("refuse:"))), data);
    }
    return QNetworkAccessManager::createRequest(op, request, data);
}

}  // namespace sotrix::test
