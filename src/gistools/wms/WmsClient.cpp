#include "WmsClient.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

#include <utility>

namespace sotrix {

QString messageReponseWms(const ReponseWms& r) {
    switch (r.kind) {
    case ReponseWms::Kind::NoConnection: return QStringLiteral("Impossible de se connecter au serveur WMS.");
    case ReponseWms::Kind::NetworkError:
        return QStringLiteral("Une erreur est survenue lors de la connection au serveur WMS : erreur Winsock n° ") +
               QString::number(r.error) + QStringLiteral(" (") + r.errorString + u')';
    default:
        return QStringLiteral("Une erreur est survenue lors de la récupération de la liste des couches disponibles.");
    }
}

WmsClient::WmsClient(int timeoutMs, int overallMs, QObject* parent) : QObject(parent) {
    for (auto [timer, ms] : {std::pair{&timer_, timeoutMs}, {&overall_, overallMs}}) {
        timer->setSingleShot(true);
        timer->setInterval(ms);
        connect(timer, &QTimer::timeout, this, &WmsClient::onTimeout);
    }
}

WmsClient::~WmsClient() { drop(); }

void WmsClient::get(const QString& url) {
    drop();
    buffer_.clear();
    received_ = false;
    QNetworkRequest request{QUrl(url)};
    request.setRawHeader("Accept", "*/*");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::NoLessSafeRedirectPolicy);
    reply_ = manager_.get(request);
    connect(reply_, &QNetworkReply::metaDataChanged, this, [this] {
        received_ = true;
        timer_.start();
    });
    connect(reply_, &QNetworkReply::readyRead, this, &WmsClient::onData);
    connect(reply_, &QNetworkReply::finished, this, &WmsClient::onFinished);
    timer_.start();
    overall_.start();
}

void WmsClient::abort() { drop(); }

// Disconnects before aborting, so that the dropped reply ends without an outcome.
void WmsClient::drop() {
    timer_.stop();
    overall_.stop();
    if (!reply_) return;
    QNetworkReply* r = reply_;
    reply_ = nullptr;
    r->disconnect(this);
    r->abort();
    r->deleteLater();
}

void WmsClient::onData() {
    const QByteArray piece = reply_->readAll();
    if (!piece.isEmpty()) received_ = true;
    buffer_ += piece;
    timer_.start();
    if (buffer_.size() > kTailleMaxCapabilities) end({ReponseWms::Kind::Failed, {}, 0, {}});
}

void WmsClient::onTimeout() {
    end({received_ ? ReponseWms::Kind::Failed : ReponseWms::Kind::NoConnection, {}, 0, {}});
}

void WmsClient::onFinished() {
    if (!reply_) return;
    buffer_ += reply_->readAll();
    const QVariant status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    ReponseWms out;
    if (status.isValid()) {
        const int code = status.toInt();
        if (code >= 200 && code < 300 && reply_->error() == QNetworkReply::NoError && buffer_.size() <= kTailleMaxCapabilities) {
            out.kind = ReponseWms::Kind::Body;
            out.body = buffer_;
        }
    } else if (reply_->error() != QNetworkReply::NoError) {
        out.kind = ReponseWms::Kind::NetworkError;
        out.error = int(reply_->error());
        out.errorString = reply_->errorString();
    }
    end(std::move(out));
}

void WmsClient::end(ReponseWms outcome) {
    drop();
    buffer_.clear();
    emit finished(outcome);
}

}  // namespace sotrix
