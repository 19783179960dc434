#include "UpdateCheck.h"

#include "Divers.h"
#include "MainView.h"
#include "State.h"
#include "Version.h"
#include "Xml.h"

#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QRegularExpression>

namespace sotrix {

const char* const kMsgMajHorsLigne =
    "Vous tentez d'accéder au serveur de mise à jour alors que vous n'êtes pas connecté à internet.\n"
    "Voulez-vous continuer ?";
const char* const kMsgMajDisponible = "Une mise à jour de sotrix est disponible. Voulez-vous la télécharger ?";
const char* const kMsgMajAucune = "Aucune mise à jour n'est disponible.";
const char* const kMsgMajEchec = "Impossible de se connecter au serveur de mise à jour.";

namespace {

bool webScheme(const QString& scheme) {
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

std::optional<qint64> digits(const QString& part) {
    static const QRegularExpression re(QStringLiteral("^[0-9]{1,9}$"));
    if (!re.match(part).hasMatch()) return std::nullopt;
    return part.toLongLong();
}

}  // namespace

std::optional<VersionNumber> litVersion(const QString& text) {
    const QString t = text.trimmed();
    const qsizetype p1 = t.indexOf(QLatin1Char('.'));
    if (p1 < 0) return std::nullopt;
    const qsizetype p2 = t.indexOf(QLatin1Char('.'), p1 + 1);
    const auto major = digits(t.left(p1));
    const auto minor = digits(p2 < 0 ? t.mid(p1 + 1) : t.mid(p1 + 1, p2 - p1 - 1));
    if (!major || !minor) return std::nullopt;
    VersionNumber v{*major, *minor, 0};
    if (p2 >= 0) {
        // The revision is a decimal number: its whole part counts.
        static const QRegularExpression re(QStringLiteral("^([0-9]{1,9})(\\.[0-9]+)?$"));
        const auto m = re.match(t.mid(p2 + 1));
        if (!m.hasMatch()) return std::nullopt;
        v.revision = m.captured(1).toLongLong();
    }
    return v;
}

bool plusRecente(const VersionNumber& v) {
    if (v.major != kVersionMajor) return v.major > kVersionMajor;
    if (v.minor != kVersionMinor) return v.minor > kVersionMinor;
    return v.revision > kVersionRevision;
}

std::optional<QUrl> adresseDocument(const QString& base) {
    QString text = base;
    if (!text.contains(QLatin1String("://"))) text.prepend(QLatin1String("http://"));
    if (!text.endsWith(QLatin1Char('/'))) text += QLatin1Char('/');
    text += QLatin1String("sotrix.xml");
    const QUrl url(text, QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty() || !webScheme(url.scheme())) return std::nullopt;
    const int port = url.port();
    if (port != -1 && (port < 1 || port > 65535)) return std::nullopt;
    return url;
}

std::optional<UpdateDocument> litDocument(const QByteArray& body) {
    const qsizetype start = body.indexOf("<?xml");
    if (start < 0) return std::nullopt;
    XmlDocument doc;
    if (doc.loadBytes(body.constData() + start, std::size_t(body.size() - start)) != XmlLoad::Ok) return std::nullopt;
    const pugi::xml_node root = doc.root();
    if (std::string_view(root.name()) != "sotrix") return std::nullopt;
    const pugi::xml_node version = root.child("version");
    const pugi::xml_node url = root.child("url");
    if (!version || !url) return std::nullopt;
    return UpdateDocument{QString::fromStdString(xmlText(version)).trimmed(),
                          QString::fromStdString(xmlText(url)).trimmed()};
}

UpdateChecker::UpdateChecker(QObject* parent) : QObject(parent) {
    overall_.setSingleShot(true);
    overall_.setInterval(kOverallTimeoutMs);
    connect(&overall_, &QTimer::timeout, this, [this] {
        if (reply_) reply_->abort();
    });
}

UpdateChecker::~UpdateChecker() { abandon(); }

void UpdateChecker::setNetworkAccessManager(QNetworkAccessManager* manager) { manager_ = manager; }

void UpdateChecker::setTimeouts(int transferMs, int overallMs) {
    transferMs_ = transferMs;
    overall_.setInterval(overallMs);
}

QNetworkAccessManager& UpdateChecker::manager() {
    if (!manager_) {
        own_ = std::make_unique<QNetworkAccessManager>();
        manager_ = own_.get();
    }
    return *manager_;
}

void UpdateChecker::abandon() {
    overall_.stop();
    if (QNetworkReply* old = reply_) {
        reply_ = nullptr;
        old->disconnect(this);
        old->abort();
        old->deleteLater();
    }
}

void UpdateChecker::update(bool manual) {
    abandon();
    majManuelle_ = manual;
    const QString base = state().paramUrlUpdate;
    if (base.isEmpty()) return end(Outcome::Skipped);
    if (!connecteInternet()) {
        if (!manual || prompter().ask(QString::fromUtf8(kMsgMajHorsLigne)) != Answer::Yes)
            return end(Outcome::Skipped);
    }
    const std::optional<QUrl> url = adresseDocument(base);
    if (!url) return end(Outcome::Failed);
    // Names under "invalid" never resolve: no lookup leaves the machine for them.
    const QString host = url->host().toLower();
    if (host == QLatin1String("invalid") || host.endsWith(QLatin1String(".invalid"))) return end(Outcome::Failed);

    QNetworkRequest request(*url);
    request.setTransferTimeout(transferMs_);
    QNetworkReply* reply = manager().get(request);
    reply_ = reply;
    // A body beyond the limit is no version document.
    connect(reply, &QNetworkReply::downloadProgress, this, [reply](qint64 received, qint64) {
        if (received > kMaxBody) reply->abort();
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] { replyFinished(reply); });
    overall_.start();
}

void UpdateChecker::replyFinished(QNetworkReply* reply) {
    if (reply != reply_) return;
    overall_.stop();
    reply_ = nullptr;
    reply->deleteLater();
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const bool ok = reply->error() == QNetworkReply::NoError &&
                    (!status.isValid() || (status.toInt() >= 200 && status.toInt() <= 299));
    conclude(ok ? litDocument(reply->read(kMaxBody + 1)) : std::nullopt);
}

void UpdateChecker::conclude(const std::optional<UpdateDocument>& document) {
    const std::optional<VersionNumber> version = document ? litVersion(document->version) : std::nullopt;
    if (!version) return end(Outcome::Failed);
    if (!plusRecente(*version)) return end(Outcome::Current);
    // Only a web address is opened: a document could name a local file or a program.
    if (!webScheme(QUrl(document->url, QUrl::StrictMode).scheme())) return end(Outcome::Failed);
    if (prompter().ask(QString::fromUtf8(kMsgMajDisponible)) == Answer::Yes) {
        prompter().openUrl(document->url);
        if (MainView* main = state().mainView) main->fichierQuitter_Click();
    }
    end(Outcome::Newer);
}

void UpdateChecker::end(Outcome outcome) {
    if (majManuelle_) {
        if (outcome == Outcome::Current)
            prompter().message(QString::fromUtf8(kMsgMajAucune), Icon::Information);
        else if (outcome == Outcome::Failed)
            prompter().message(QString::fromUtf8(kMsgMajEchec), Icon::Exclamation);
    }
    emit finished(outcome);
}

}  // namespace sotrix
