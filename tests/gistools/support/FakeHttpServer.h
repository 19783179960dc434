#pragma once
// A scripted HTTP server on 127.0.0.1 for the WMS client: each accepted connection is
// read up to its blank line, recorded, and answered by the script, piece by piece with
// pauses when asked. It runs in the test's own thread: the client's event loop drives it.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTcpServer>

#include <functional>
#include <vector>

namespace sotrix::test {

struct HttpPiece {
    QByteArray bytes;
    int delayMs = 0;  // before these bytes
};

struct HttpScript {
    std::vector<HttpPiece> pieces;
    bool close = true;  // close the connection after the last piece; false keeps it silent
};

// A reply from its status line, headers and body, in one piece.
QByteArray httpReply(const QByteArray& status, const QByteArray& headers, const QByteArray& body);
// The bytes cut into pieces: the first `single` one byte each, then `size` bytes each,
// each after delayMs.
std::vector<HttpPiece> enMorceaux(const QByteArray& bytes, int single, int size, int delayMs);

class FakeHttpServer : public QObject {
    Q_OBJECT
public:
    FakeHttpServer();
    ~FakeHttpServer() override;

    // The script for a request target (its path and query); "" is the default.
    void serve(const QString& path, HttpScript script);
    quint16 port() const { return server_.serverPort(); }
    QString url(const QString& path) const;
    // The request heads received, one per connection.
    const QStringList& requests() const { return requests_; }

private:
    void onConnection();
    void play(class QTcpSocket* socket, const HttpScript& script, std::size_t from);

    QTcpServer server_;
    QList<QPair<QString, HttpScript>> scripts_;
    QStringList requests_;
};

}  // namespace sotrix::test
