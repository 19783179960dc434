#pragma once
// A real WMS on loopback: MapServer's mapserv run as a CGI program behind a small HTTP
// front (a QTcpServer on 127.0.0.1, in a thread of its own, so that it answers while
// the test's thread waits for a client such as map2img).
//
// Each request is read up to its blank line; the query after the first "?" of its
// target goes to mapserv as QUERY_STRING, with MAPSERVER_CONFIG_FILE naming a
// configuration whose MS_MAPFILE is the server's mapfile (mapserv 8 takes no map=
// parameter without one, and ignores parameters it does not know, such as "x=1&y=2").
// The reply is "HTTP/1.0 200 OK" followed by mapserv's output, then the connection is
// closed. Every request line is recorded.

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

namespace sotrix::test {

class MapservWms {
public:
    MapservWms();
    ~MapservWms();  // stops the server
    MapservWms(const MapservWms&) = delete;
    MapservWms& operator=(const MapservWms&) = delete;

    // Listens on a free port, then writes the configuration and the mapfile that
    // mapfileFor gives for that port into folder. False (with a test failure) when it
    // could not.
    bool start(const QString& folder, const std::function<QByteArray(quint16 port)>& mapfileFor);
    quint16 port() const;
    // The server's address as its capabilities give it: ".../cgi-bin/mapserv?x=1&y=2&".
    QString onlineResource() const;
    // The request lines received so far.
    QStringList requests() const;

    // The test server: EPSG:31370, title "Serveur d'essai", layer "ortho" (the raster,
    // titled "Orthophoto à Liège") and layer "zones" (the polygon shapefile filled blue,
    // titled "Zones & parcs").
    static QByteArray testMapfile(quint16 port, const QString& raster, const QString& polygons);
    // A .ogc for that server: version 1.1.1, formats image/png and image/jpeg, EPSG:31370,
    // the extent 150000 169000 153500 170000 and the given layers.
    static QByteArray testOgc(quint16 port, const QStringList& layers);

private:
    struct Impl;
    std::unique_ptr<Impl> d_;
};

}  // namespace sotrix::test
