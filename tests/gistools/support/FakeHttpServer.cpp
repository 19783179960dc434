#include "FakeHttpServer.h"

#include <QPointer>
#include <QTcpSocket>
#include <QTimer>

namespace sotrix::test {

QByteArray httpReply(const QByteArray& status, const QByteArray& headers, const QByteArray& body) {
    return status + "\r\n" + headers + "\r\n" + body;
}

std::vector<HttpPiece> enMorceaux(const QByteArray& bytes, int single, int size, int delayMs) {
    std::vector<HttpPiece> out;
    qsizetype at = 0;
    while (at < bytes.size()) {
        const qsizetype n = at < single ? 1 : size;
        out.push_back({bytes.mid(at, n), delayMs});
        at += n;
    }
    return out;
}

FakeHttpServer::FakeHttpServer() {
    connect(&server_, &QTcpServer::newConnection, this, &FakeHttpServer::onConnection);
    server_.listen(QHostAddress::LocalHost, 0);
}

FakeHttpServer::~FakeHttpServer() { server_.close(); }

void FakeHttpServer::serve(const QString& path, HttpScript script) { scripts_.append({path, std::move(script)}); }

QString FakeHttpServer::url(const QString& path) const {
    return QStringLiteral("http://127.0.0.1:%1%2").arg(port()).arg(path);
}

void FakeHttpServer::onConnection() {
    while (QTcpSocket* socket = server_.nextPendingConnection()) {
        socket->setParent(this);
        auto head = std::make_shared<QByteArray>();
        connect(socket, &QTcpSocket::readyRead, this, [this, socket, head] {
            if (head->contains("\r\n\r\n")) return;
            *head += socket->readAll();
            if (!head->contains("\r\n\r\n")) return;
            const QString request = QString::fromLatin1(head->left(head->indexOf("\r\n\r\n")));
            requests_ << request;
            const QString target = request.section(u' ', 1, 1);
            const QString path = target.section(u'?', 0, 0);
            for (const auto& [scripted, script] : scripts_)
                if (scripted == path) return play(socket, script, 0);
            for (const auto& [scripted, script] : scripts_)
                if (scripted.isEmpty()) return play(socket, script, 0);
        });
    }
}

void FakeHttpServer::play(QTcpSocket* socket, const HttpScript& script, std::size_t from) {
    if (from == script.pieces.size()) {
        if (script.close) socket->disconnectFromHost();
        return;
    }
    QPointer<QTcpSocket> guarded(socket);
    QTimer::singleShot(script.pieces[from].delayMs, this, [this, guarded, script, from] {
        if (!guarded || guarded->state() != QAbstractSocket::ConnectedState) return;
        guarded->write(script.pieces[from].bytes);
        guarded->flush();
        play(guarded, script, from + 1);
    });
}

}  // namespace sotrix::test
