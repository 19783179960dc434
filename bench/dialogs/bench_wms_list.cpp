// The WMS tool on a large capabilities document: a 30 MB document of about 210,000 layers
// (under the 32 MiB the client accepts) served from loopback. Measured from the reply's
// last byte written to the list filled and the window painted and idle, against a bare
// pugixml load of the same bytes in the same run (goal: at most 3 times, and a peak under
// 200 MiB). Each measure runs in a process of its own; medians of three runs, with min
// and max, and the peak of each side.
//
// bench_wms_list [data folder]: the document is written there once and kept.
#include "DeliveredCopy.h"
#include "Fail.h"
#include "Median.h"
#include "ProcessRun.h"
#include "FailingPrompter.h"
#include "SelfMemory.h"
#include "Reachability.h"
#include "State.h"
#include "Stopwatch.h"
#include "frmWms.h"

#include <QAbstractEventDispatcher>
#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>

#include <pugixml.hpp>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <vector>

namespace sotrix {
namespace {

constexpr int kRuns = 3;
constexpr int kLayers = 210000;
constexpr qint64 kPiece = 1 << 20;  // of the reply handed to the socket at a time

QByteArray readFile(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) bench::fail(QStringLiteral("cannot read ") + path);
    return f.readAll();
}

// A server's capabilities: one container with the systems, then leaves of realistic size.
QString document(const QString& folder) {
    const QString path = QDir(folder).filePath(QStringLiteral("capabilities-%1.xml").arg(kLayers));
    if (QFileInfo(path).size() > 0) return path;
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly)) bench::fail(QStringLiteral("cannot write ") + path);
    f.write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<WMT_MS_Capabilities version=\"1.1.1\">\n<Capability>\n"
            "<Request><GetMap><Format>image/png</Format><Format>image/jpeg</Format></GetMap></Request>\n"
            "<Layer><Title>Serveur</Title><SRS>EPSG:4326</SRS><SRS>EPSG:31370</SRS>\n");
    for (int i = 0; i < kLayers; ++i) {
        const QByteArray n = QByteArray::number(i);
        const double x = 2.5 + (i % 400) * 0.01, y = 49.5 + (i / 400 % 200) * 0.01;
        f.write("<Layer><Name>p_" + n + "</Name><Title>Parcelle " + n + "</Title><LatLonBoundingBox minx=\"" +
                QByteArray::number(x, 'f', 4) + "\" miny=\"" + QByteArray::number(y, 'f', 4) + "\" maxx=\"" +
                QByteArray::number(x + 0.0123, 'f', 4) + "\" maxy=\"" + QByteArray::number(y + 0.0098, 'f', 4) +
                "\"/></Layer>\n");
    }
    f.write("</Layer>\n</Capability>\n</WMT_MS_Capabilities>\n");
    if (!f.flush()) bench::fail(QStringLiteral("cannot write ") + path);
    return path;
}

// Child: the document's bytes loaded by pugixml, nothing else.
int pugixmlUneFois(const QString& path) {
    const QByteArray bytes = readFile(path);
    const bench::Stopwatch clock;
    pugi::xml_document doc;
    if (!doc.load_buffer(bytes.constData(), std::size_t(bytes.size()))) bench::fail(QStringLiteral("pugixml refused it"));
    const double seconds = clock.seconds();
    std::printf("mesure %.6f %.1f %.1f\n", seconds, bench::peakMiB(), 0.0);
    return 0;
}

// Child: the tool asks a loopback server, which sends the document; timed from the last
// byte written to the list painted with the event loop idle.
int outilUneFois(const QString& path) {
    const QTemporaryDir home;
    if (!home.isValid() || !bench::copyDelivered(home.filePath(QStringLiteral("sotrix.mdb"))))
        bench::fail(QStringLiteral("cannot make a program folder"));
    qputenv("SOTRIX_HOME", QFile::encodeName(home.path()));
    resetState();
    state().prompter = std::make_shared<bench::FailingPrompter>("bench_wms_list");
    state().reachability = std::make_shared<FixedReachability>(true);

    QByteArray reply = "HTTP/1.0 200 OK\r\nContent-Type: application/vnd.ogc.wms_xml\r\nContent-Length: " +
                       QByteArray::number(QFileInfo(path).size()) + "\r\n\r\n";
    reply += readFile(path);
    std::optional<bench::Stopwatch> fromReply;
    QTcpServer server;
    if (!server.listen(QHostAddress::LocalHost)) bench::fail(QStringLiteral("cannot listen"));
    // The reply goes out a piece at a time, as a server's would, so that no copy of it
    // waits in the socket.
    QObject::connect(&server, &QTcpServer::newConnection, [&] {
        QTcpSocket* s = server.nextPendingConnection();
        auto sent = std::make_shared<qint64>(-1);  // bytes handed to the socket; -1 before the request
        QObject::connect(s, &QTcpSocket::readyRead, s, [s, sent, &reply] {
            if (*sent >= 0 || !s->peek(1 << 16).contains("\r\n\r\n")) return;
            *sent = std::min<qint64>(kPiece, reply.size());
            s->write(reply.constData(), *sent);
        });
        QObject::connect(s, &QTcpSocket::bytesWritten, s, [s, sent, &reply, &fromReply](qint64) {
            if (s->bytesToWrite() > 0) return;
            if (*sent < reply.size()) {
                const qint64 n = std::min<qint64>(kPiece, reply.size() - *sent);
                s->write(reply.constData() + *sent, n);
                *sent += n;
                return;
            }
            if (!fromReply) fromReply.emplace();
            s->disconnectFromHost();
        });
    });

    frmWms tool;
    tool.show();
    QCoreApplication::processEvents();
    const double before = bench::residentMiB();
    tool.findChild<QLineEdit*>(QStringLiteral("txtUrl"))->setText(
        QStringLiteral("http://127.0.0.1:%1/wms").arg(server.serverPort()));
    tool.cmdRecuperer_Click();
    while (tool.retrieving()) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    // Idle: the view's delayed layout done, then the window painted.
    for (int quiet = 0; quiet < 3;)
        quiet = QCoreApplication::eventDispatcher()->processEvents(QEventLoop::AllEvents) ? 0 : quiet + 1;
    tool.repaint();
    if (!fromReply) bench::fail(QStringLiteral("the reply was not sent"));
    const double seconds = fromReply->seconds();
    auto* list = tool.findChild<QAbstractItemView*>(QStringLiteral("lstLayers"));
    if (!list || list->model()->rowCount() != kLayers)
        bench::fail(QStringLiteral("the list was not filled"));
    std::printf("mesure %.6f %.1f %.1f\n", seconds, bench::peakMiB(), bench::peakMiB() - before);
    return 0;
}

struct Mesure {
    std::vector<double> seconds, peak, added;
};

void mesure(Mesure& m, const QStringList& args) {
    const bench::ProcessRun r = bench::runProcess(QCoreApplication::applicationFilePath(), args, 600);
    const qsizetype at = r.output.lastIndexOf("mesure ");
    if (!r.ok || at < 0) bench::fail(QStringLiteral("a run failed: ") + args.join(u' '));
    const QList<QByteArray> f = r.output.mid(at + 7).trimmed().split(' ');
    m.seconds.push_back(f.value(0).toDouble());
    m.peak.push_back(f.value(1).toDouble());
    m.added.push_back(f.value(2).toDouble());
}

void montre(const char* what, const Mesure& m) {
    std::printf("  %-8s %.3f s (min %.3f, max %.3f); peak %.0f MiB, %.0f MiB over the open window\n", what,
                bench::median(m.seconds), *std::min_element(m.seconds.begin(), m.seconds.end()),
                *std::max_element(m.seconds.begin(), m.seconds.end()), bench::median(m.peak), bench::median(m.added));
}

}  // namespace
}  // namespace sotrix

int main(int argc, char** argv) {
    using namespace sotrix;
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QLatin1String("--outil")) return outilUneFois(args[2]);
    if (args.size() == 3 && args[1] == QLatin1String("--pugixml")) return pugixmlUneFois(args[2]);

    const QString folder =
        args.size() > 1 ? args[1] : QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("bench-dialogs-data"));
    QDir().mkpath(folder);
    const QString path = document(folder);
    Mesure ours, ref;
    std::vector<double> ratios;
    for (int run = 0; run < kRuns; ++run) {
        mesure(ours, {QStringLiteral("--outil"), path});
        mesure(ref, {QStringLiteral("--pugixml"), path});
        ratios.push_back(ours.seconds.back() / ref.seconds.back());
    }
    std::printf("\nWMS tool, capabilities of %d layers, %.1f MB: from the reply to the list, %d runs\n", kLayers,
                double(QFileInfo(path).size()) / 1e6, kRuns);
    montre("ours:", ours);
    montre("pugixml:", ref);
    std::printf("  ratio ours / pugixml: %.2f (per run:", bench::median(ours.seconds) / bench::median(ref.seconds));
    for (double r : ratios) std::printf(" %.2f", r);
    std::printf(")\n  goal: at most 3 times, peak under 200 MiB\n");
    return 0;
}
