#pragma once
// The update server of the tests: a scripted HTTP server on 127.0.0.1, and a network
// access manager that fails the test at any request for another host.

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QStringList>
#include <QTcpServer>

namespace sotrix::test {

class ScriptedHttpServer : public QObject {
public:
    enum class Mode {
        Document,     // the reply below
        Silent,       // reads the request and never answers
        Trickle,      // a status line, then one byte every 100 ms, never closing
        CloseAtOnce,  // closes every connection as soon as it opens
    };
    struct Reply {
        int status = 200;
        QByteArray body;
        int pieces = 1;    // the body in that many writes
        int delayMs = 0;   // between two writes
    };

    ScriptedHttpServer();
    quint16 port() const { return server_.serverPort(); }
    // "http://127.0.0.1:<port>" followed by path.
    QString base(const QString& path = QStringLiteral("/")) const;

    void serve(const Reply& reply) {
        mode = Mode::Document;
        reply_ = reply;
    }

    Mode mode = Mode::Document;
    QStringList paths;  // the path of every request, in order
    int connections = 0;

private:
    void answer(class QTcpSocket* socket);
    QTcpServer server_;
    Reply reply_;
};

// A version document.
QByteArray updateDocument(const QString& version, const QString& url);

class LoopbackOnlyManager : public QNetworkAccessManager {
public:
    LoopbackOnlyManager();

protected:
    QNetworkReply* createRequest(Operation op, const QNetworkRequest& request, QIODevice* data) override;
};

}  // namespace sotrix::test
