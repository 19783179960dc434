// The WMS tool's retrieval against a scripted loopback server: each way a server can
// answer gives its list or its message, and nothing hangs.
#include "FakeHttpServer.h"
#include "State.h"
#include "WmsClient.h"
#include "Workspace.h"
#include "frmWms.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

#include <optional>

#include <gtest/gtest.h>

namespace sotrix {
namespace {

using test::FakeHttpServer;
using test::HttpScript;

constexpr int kDelaiEssaiMs = 300;

const QString kConnexion = QStringLiteral("Impossible de se connecter au serveur WMS.");
const QString kRecuperation =
    QStringLiteral("Une erreur est survenue lors de la récupération de la liste des couches disponibles.");
const QString kActualiser =
    QStringLiteral("Vous avez déjà récupèré les couches disponibles.\nVoulez-vous actualiser cette liste ?");
const QString kHorsLigne = QStringLiteral(
    "Vous tentez d'accéder à un serveur WMS alors que vous n'êtes pas connecté à internet.\n¨Voulez-vous continuer ?");

QByteArray document(const QByteArray& title = "Li\xC3\xA8ge", const QByteArray& encoding = "UTF-8") {
    return "<?xml version=\"1.0\" encoding=\"" + encoding +
           "\"?>\n<WMT_MS_Capabilities version=\"1.1.1\"><Capability><Request><GetMap><Format>image/png</Format>"
           "</GetMap></Request><Layer><SRS>EPSG:4326</SRS><Layer><Name>l</Name><Title>" +
           title +
           "</Title><LatLonBoundingBox minx=\"4\" miny=\"50\" maxx=\"5\" maxy=\"51\"/></Layer></Layer></Capability>"
           "</WMT_MS_Capabilities>\n";
}

QByteArray ok(const QByteArray& body) { return test::httpReply("HTTP/1.0 200 OK", "Content-Type: text/xml\r\n", body); }

QByteArray chunked(const QByteArray& body) {
    QByteArray out;
    for (qsizetype at = 0; at < body.size(); at += 50) {
        const QByteArray piece = body.mid(at, 50);
        out += QByteArray::number(piece.size(), 16) + "\r\n" + piece + "\r\n";
    }
    return test::httpReply("HTTP/1.1 200 OK", "Transfer-Encoding: chunked\r\nConnection: close\r\n", out + "0\r\n\r\n");
}

class WmsRetrieval : public test::WorkspaceTest {
protected:
    void SetUp() override {
        WorkspaceTest::SetUp();
        state().reachability = std::make_shared<FixedReachability>(true);
        form = std::make_unique<frmWms>(kDelaiEssaiMs);
    }
    void TearDown() override {
        form.reset();
        WorkspaceTest::TearDown();
    }

    // Types the address, clicks, and waits for the retrieval to end (at most 10 s).
    void retrieve(const QString& url) {
        form->findChild<QLineEdit*>(QStringLiteral("txtUrl"))->setText(url);
        form->cmdRecuperer_Click();
        waitIdle();
    }
    void waitIdle() {
        QElapsedTimer clock;
        clock.start();
        while (form->retrieving() && clock.elapsed() < 10000) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        EXPECT_FALSE(form->retrieving()) << "the retrieval hangs";
    }
    QStringList lines() const {
        QStringList out;
        const QAbstractItemModel* model = form->findChild<QListView*>(QStringLiteral("lstLayers"))->model();
        for (int i = 0; i < model->rowCount(); ++i) out << model->index(i, 0).data().toString();
        return out;
    }

    FakeHttpServer server;
    std::unique_ptr<frmWms> form;
};

const QString kLiege = QStringLiteral("Liège - projection : WGS 84 - X : 4 ; 5 - Y : 50 ; 51");

TEST_F(WmsRetrieval, EachServerScriptGivesItsListOrItsMessage) {
    struct Case {
        const char* what;
        HttpScript script;
        QStringList lines;
        QString message;  // "" for none
    };
    QByteArray latin = document("Li\xE8ge", "ISO-8859-1");
    const QByteArray big = "HTTP/1.0 200 OK\r\n\r\n<?xml version=\"1.0\"?>" + QByteArray(33 * 1024 * 1024, ' ');
    const std::vector<Case> cases{
        {"whole", {{{ok(document())}}}, {kLiege}, {}},
        // The head in one piece (the network layer reports nothing before it is whole),
        // then the document in pieces, each pause shorter than the time-out, all longer.
        {"small delayed pieces", {[] {
             std::vector<test::HttpPiece> pieces{{ok({})}};
             for (test::HttpPiece& p : test::enMorceaux(document(), 40, 7, 20)) pieces.push_back(p);
             return pieces;
         }()},
         {kLiege}, {}},
        {"chunked", {{{chunked(document())}}}, {kLiege}, {}},
        {"Latin-1", {{{ok(latin)}}}, {kLiege}, {}},
        {"accepts and hangs", {{}, false}, {}, kConnexion},
        {"headers then silence", {{{test::httpReply("HTTP/1.0 200 OK", "", "<?xml")}}, false}, {}, kRecuperation},
        {"404 with xml", {{{test::httpReply("HTTP/1.0 404 Not Found", "", "<?xml version=\"1.0\"?><html/>")}}}, {}, kRecuperation},
        {"exception report",
         {{{ok("<?xml version=\"1.0\"?><ServiceExceptionReport><ServiceException>x</ServiceException>"
               "</ServiceExceptionReport>")}}},
         {},
         kRecuperation},
        {"truncated", {{{ok(document().left(150))}}}, {}, kRecuperation},
        {"no declaration", {{{ok(document().mid(document().indexOf("<WMT")))}}}, {}, kRecuperation},
        {"over 32 MiB", {{{big}}}, {}, kRecuperation},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeHttpServer one;
        one.serve({}, c.script);
        form = std::make_unique<frmWms>(kDelaiEssaiMs);
        prompts->clear();
        retrieve(one.url(QStringLiteral("/wms?x=1")));
        EXPECT_EQ(lines(), c.lines);
        EXPECT_EQ(prompts->texts(), c.message.isEmpty() ? QStringList() : QStringList{c.message});
        ASSERT_FALSE(one.requests().isEmpty());
        EXPECT_TRUE(one.requests()[0].startsWith(
            QStringLiteral("GET /wms?x=1&SERVICE=WMS&VERSION=1.1.1&REQUEST=GetCapabilities HTTP/1.1\r\n")))
            << one.requests()[0].toStdString();
        EXPECT_TRUE(one.requests()[0].contains(QStringLiteral("\r\nAccept: */*")));
    }
}

// A server that sends its head at once, then one byte every 5 ms: forever, or bytes
// bytes and the end.
TEST(WmsClientLimit, AReplyThatNeverEndsIsCutByTheOverallLimit) {
    struct Case {
        const char* what;
        int bytes;  // -1: forever
        ReponseWms::Kind kind;
    };
    const std::vector<Case> cases{{"trickles forever", -1, ReponseWms::Kind::Failed},
                                  {"trickles then ends in time", 20, ReponseWms::Kind::Body}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QTcpServer server;
        ASSERT_TRUE(server.listen(QHostAddress::LocalHost, 0));
        QTimer trickle;
        QPointer<QTcpSocket> peer;
        int sent = 0;
        QObject::connect(&server, &QTcpServer::newConnection, [&] {
            peer = server.nextPendingConnection();
            peer->write("HTTP/1.0 200 OK\r\nContent-Type: text/xml\r\n\r\n");
            trickle.start(5);
        });
        QObject::connect(&trickle, &QTimer::timeout, [&] {
            if (!peer) return;
            if (c.bytes >= 0 && sent == c.bytes) {
                trickle.stop();
                peer->disconnectFromHost();
                return;
            }
            peer->write(" ");
            ++sent;
        });
        WmsClient client(300, 800);
        std::optional<ReponseWms> outcome;
        QObject::connect(&client, &WmsClient::finished, [&](const ReponseWms& r) { outcome = r; });
        client.get(QStringLiteral("http://127.0.0.1:%1/wms").arg(server.serverPort()));
        QElapsedTimer clock;
        clock.start();
        while (!outcome && clock.elapsed() < 5000) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        ASSERT_TRUE(outcome.has_value()) << "the retrieval hangs";
        EXPECT_EQ(outcome->kind, c.kind);
        if (c.kind == ReponseWms::Kind::Failed) {
            EXPECT_EQ(messageReponseWms(*outcome), kRecuperation);
        }
    }
}

TEST_F(WmsRetrieval, ARedirectIsFollowedAndARefusedPortIsAConnectionError) {
    server.serve(QStringLiteral("/ancien"),
                 {{{test::httpReply("HTTP/1.0 302 Found", "Location: /nouveau?y=2\r\n", "")}}});
    server.serve(QStringLiteral("/nouveau"), {{{ok(document())}}});
    retrieve(server.url(QStringLiteral("/ancien")));
    EXPECT_EQ(lines(), QStringList{kLiege});
    EXPECT_TRUE(prompts->texts().isEmpty()) << prompts->texts().join(u'|').toStdString();
    // The network layer may send a request again on a fresh connection when the server
    // closed the one it hoped to reuse: only the order of the paths is fixed.
    ASSERT_GE(server.requests().size(), 2);
    EXPECT_TRUE(server.requests().front().startsWith(QStringLiteral("GET /ancien?SERVICE=WMS&")));
    EXPECT_TRUE(server.requests().back().startsWith(QStringLiteral("GET /nouveau?y=2 ")));
    for (const QString& r : server.requests())
        EXPECT_TRUE(r.startsWith(QStringLiteral("GET /ancien?")) || r.startsWith(QStringLiteral("GET /nouveau?y=2 ")))
            << r.toStdString();

    quint16 closed = 0;
    {
        QTcpServer taken;
        ASSERT_TRUE(taken.listen(QHostAddress::LocalHost, 0));
        closed = taken.serverPort();
    }
    prompts->clear();
    form = std::make_unique<frmWms>(kDelaiEssaiMs);
    retrieve(QStringLiteral("127.0.0.1:%1/wms").arg(closed));
    EXPECT_EQ(prompts->texts(),
              QStringList{QStringLiteral("Une erreur est survenue lors de la connection au serveur WMS : erreur Winsock "
                                         "n° 1 (Connection refused)")});
}

TEST_F(WmsRetrieval, ASecondClickMidTransferGivesOnlyTheSecondReplyAndClosingStaysSilent) {
    server.serve(QStringLiteral("/lent"), {test::enMorceaux(ok(document("Lent")), 0, 20, 50)});
    server.serve(QStringLiteral("/vite"), {{{ok(document())}}});
    auto* url = form->findChild<QLineEdit*>(QStringLiteral("txtUrl"));
    url->setText(server.url(QStringLiteral("/lent")));
    form->cmdRecuperer_Click();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 200) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    ASSERT_TRUE(form->retrieving());
    url->setText(server.url(QStringLiteral("/vite")));
    form->cmdRecuperer_Click();
    waitIdle();
    // Let the slow server go on writing into the dropped connection.
    clock.restart();
    while (clock.elapsed() < 400) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_EQ(lines(), QStringList{kLiege});
    EXPECT_TRUE(prompts->texts().isEmpty()) << prompts->texts().join(u'|').toStdString();

    url->setText(server.url(QStringLiteral("/lent")));
    form->cmdRecuperer_Click();
    ASSERT_TRUE(form->retrieving());
    QPointer<frmWms> closing = form.release();
    closing->cmdAnnuler_Click();
    EXPECT_FALSE(closing->retrieving());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(closing.isNull()) << "the window is gone";
    clock.restart();
    while (clock.elapsed() < 400) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    EXPECT_TRUE(prompts->texts().isEmpty());
}

TEST_F(WmsRetrieval, AnAddressTheToolCannotUseAsksForTheAddress) {
    server.serve({}, {{{ok(document())}}});
    const QString hostPort = QStringLiteral("127.0.0.1:%1").arg(server.port());
    const QString ask = QStringLiteral("Vous devez saisir l'adresse du serveur WMS.");
    struct Case {
        QString typed;
        bool listed;
    };
    const std::vector<Case> cases{
        {QStringLiteral("http://") + hostPort + QStringLiteral("/wms"), true},
        {QStringLiteral("HTTPS://127.0.0.1:99999/wms"), false},
        {QStringLiteral("http://127.0.0.1:0/wms"), false},
        {QStringLiteral("127.0.0.1:99999/wms"), false},
        {QStringLiteral("ftp://") + hostPort + QStringLiteral("/wms"), false},
        {QStringLiteral("file:///tmp/wms"), false},
        {QStringLiteral("gopher://") + hostPort + QStringLiteral("/wms"), false},
        {QStringLiteral("http:///wms"), false},
        {hostPort + QStringLiteral("/wms"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString());
        prompts->clear();
        const qsizetype before = server.requests().size();
        retrieve(c.typed);
        if (c.listed) {
            EXPECT_EQ(lines(), QStringList{kLiege});
            EXPECT_TRUE(prompts->texts().isEmpty());
        } else {
            EXPECT_EQ(prompts->texts(), QStringList{ask});
            EXPECT_EQ(prompts->prompts().front().icon, Icon::Exclamation);
            EXPECT_TRUE(lines().isEmpty());
            EXPECT_EQ(server.requests().size(), before) << "nothing is asked of any server";
        }
    }
}

TEST_F(WmsRetrieval, TheQuestionsComeInOrderAndNoEndsTheCommand) {
    server.serve({}, {{{ok(document())}}});
    // Offline, No: nothing asked of the server.
    state().reachability = std::make_shared<FixedReachability>(false);
    prompts->answer(Answer::No);
    retrieve(server.url(QStringLiteral("/wms")));
    EXPECT_EQ(prompts->texts(), QStringList{kHorsLigne});
    EXPECT_TRUE(server.requests().isEmpty());
    // Offline, Yes: the retrieval goes on.
    prompts->clear();
    prompts->answer(Answer::Yes);
    form->cmdRecuperer_Click();
    waitIdle();
    EXPECT_EQ(lines(), QStringList{kLiege});
    // A filled list asks to refresh (and not about the connection); No keeps it.
    prompts->clear();
    prompts->answer(Answer::No);
    form->cmdRecuperer_Click();
    EXPECT_EQ(prompts->texts(), QStringList{kActualiser});
    EXPECT_EQ(lines(), QStringList{kLiege});
    EXPECT_EQ(server.requests().size(), 1);
    // Typing empties the list; an empty address is refused when online.
    state().reachability = std::make_shared<FixedReachability>(true);
    prompts->clear();
    retrieve({});
    EXPECT_TRUE(lines().isEmpty());
    EXPECT_EQ(form->findChild<QComboBox*>(QStringLiteral("cboProjection"))->count(), 0);
    EXPECT_EQ(prompts->texts(), QStringList{QStringLiteral("Vous devez saisir l'adresse du serveur WMS.")});
}

}  // namespace
}  // namespace sotrix
