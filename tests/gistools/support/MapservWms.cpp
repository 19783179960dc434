#include "MapservWms.h"

#include <QDir>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QProcess>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <gtest/gtest.h>

namespace sotrix::test {

struct MapservWms::Impl {
    QThread thread;
    QObject* context = nullptr;  // lives in the thread; parent of the server
    QTcpServer* server = nullptr;
    quint16 port = 0;
    QString config;
    mutable QMutex mutex;
    QStringList requests;

    // Runs in the server's thread.
    void serve(QTcpSocket* socket) {
        struct Pending {
            QByteArray head;
            bool answered = false;
        };
        auto pending = std::make_shared<Pending>();
        QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
        QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, pending] {
            const QByteArray bytes = socket->readAll();
            if (pending->answered) return;
            pending->head.append(bytes);
            if (!pending->head.contains("\r\n\r\n")) return;
            pending->answered = true;
            const QByteArray requestLine = pending->head.left(pending->head.indexOf("\r\n"));
            {
                QMutexLocker lock(&mutex);
                requests << QString::fromUtf8(requestLine);
            }
            const QList<QByteArray> parts = requestLine.split(' ');
            const QByteArray target = parts.value(1);
            const qsizetype q = target.indexOf('?');
            const QByteArray query = q < 0 ? QByteArray() : target.mid(q + 1);
            socket->write("HTTP/1.0 200 OK\r\n");
            socket->write(mapserv(query));
            socket->disconnectFromHost();
        });
    }

    QByteArray mapserv(const QByteArray& query) const {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("REQUEST_METHOD"), QStringLiteral("GET"));
        env.insert(QStringLiteral("QUERY_STRING"), QString::fromLatin1(query));
        env.insert(QStringLiteral("MAPSERVER_CONFIG_FILE"), config);
        p.setProcessEnvironment(env);
        p.setStandardInputFile(QProcess::nullDevice());
        p.setStandardErrorFile(QProcess::nullDevice());
        p.start(QStringLiteral("mapserv"), {});
        if (!p.waitForFinished(60000)) return "Content-Type: text/plain\r\n\r\nmapserv did not run";
        return p.readAllStandardOutput();
    }
};

MapservWms::MapservWms() : d_(std::make_unique<Impl>()) {}

MapservWms::~MapservWms() {
    if (d_->context) QMetaObject::invokeMethod(d_->context, [this] { delete d_->context; }, Qt::BlockingQueuedConnection);
    d_->thread.quit();
    d_->thread.wait();
}

bool MapservWms::start(const QString& folder, const std::function<QByteArray(quint16)>& mapfileFor) {
    d_->thread.start();
    d_->context = new QObject;
    d_->context->moveToThread(&d_->thread);
    bool listening = false;
    QMetaObject::invokeMethod(
        d_->context,
        [this, &listening] {
            d_->server = new QTcpServer(d_->context);
            listening = d_->server->listen(QHostAddress::LocalHost, 0);
            d_->port = d_->server->serverPort();
            QObject::connect(d_->server, &QTcpServer::newConnection, d_->server, [this] {
                while (QTcpSocket* s = d_->server->nextPendingConnection()) d_->serve(s);
            });
        },
        Qt::BlockingQueuedConnection);
    if (!listening) {
        ADD_FAILURE() << "the WMS cannot listen on 127.0.0.1";
        return false;
    }
    const QDir dir(folder);
    const QString mapfile = dir.filePath(QStringLiteral("server.map"));
    d_->config = dir.filePath(QStringLiteral("server.conf"));
    QFile m(mapfile);
    QFile c(d_->config);
    if (!m.open(QIODevice::WriteOnly) || !c.open(QIODevice::WriteOnly)) {
        ADD_FAILURE() << "cannot write the WMS files in " << folder.toStdString();
        return false;
    }
    m.write(mapfileFor(d_->port));
    c.write("CONFIG\n  ENV\n    MS_MAPFILE \"" + mapfile.toUtf8() + "\"\n  END\nEND\n");
    return true;
}

quint16 MapservWms::port() const { return d_->port; }

QString MapservWms::onlineResource() const {
    return QStringLiteral("http://127.0.0.1:%1/cgi-bin/mapserv?x=1&y=2&").arg(d_->port);
}

QStringList MapservWms::requests() const {
    QMutexLocker lock(&d_->mutex);
    return d_->requests;
}

QByteArray MapservWms::testMapfile(quint16 port, const QString& raster, const QString& polygons) {
    return QStringLiteral(
               "MAP\n"
               "  EXTENT 149000 168000 155000 171000\n"
               "  SIZE 400 300\n"
               "  PROJECTION\n    \"init=epsg:31370\"\n  END\n"
               "  WEB\n    METADATA\n"
               "      \"wms_title\" \"Serveur d'essai\"\n"
               "      \"wms_onlineresource\" \"http://127.0.0.1:%1/cgi-bin/mapserv?x=1&y=2&\"\n"
               "      \"wms_srs\" \"EPSG:31370 EPSG:4326\"\n"
               "      \"wms_enable_request\" \"*\"\n"
               "    END\n  END\n"
               "  LAYER\n    NAME \"ortho\"\n    TYPE RASTER\n    STATUS ON\n    DATA \"%2\"\n"
               "    METADATA\n      \"wms_title\" \"Orthophoto à Liège\"\n    END\n  END\n"
               "  LAYER\n    NAME \"zones\"\n    TYPE POLYGON\n    STATUS ON\n    DATA \"%3\"\n"
               "    METADATA\n      \"wms_title\" \"Zones & parcs\"\n    END\n"
               "    CLASS\n      STYLE\n        COLOR 0 0 255\n      END\n    END\n  END\n"
               "END\n")
        .arg(port)
        .arg(raster, polygons)
        .toUtf8();
}

QByteArray MapservWms::testOgc(quint16 port, const QStringList& layers) {
    QByteArray out = QStringLiteral(
                         "<wms_client_config>\r\n"
                         "  <wms_version>1.1.1</wms_version>\r\n"
                         "  <online_resource>http://127.0.0.1:%1/cgi-bin/mapserv?x=1&amp;y=2&amp;</online_resource>\r\n"
                         "  <image_format_list>\r\n"
                         "    <image_format>image/png</image_format>\r\n"
                         "    <image_format>image/jpeg</image_format>\r\n"
                         "  </image_format_list>\r\n"
                         "  <srs>EPSG:31370</srs>\r\n"
                         "  <extents minx=\"150000\" miny=\"169000\" maxx=\"153500\" maxy=\"170000\"></extents>\r\n"
                         "  <layer_list>\r\n")
                         .arg(port)
                         .toUtf8();
    for (const QString& l : layers) out += "    <layer>" + l.toUtf8() + "</layer>\r\n";
    out += "  </layer_list>\r\n</wms_client_config>\r\n";
    return out;
}

}  // namespace sotrix::test
