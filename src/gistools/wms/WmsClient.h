#pragma once
// Fetches a WMS capabilities document over HTTP. One request at a time: a new request
// or abort() drops the running one silently. An inactivity timer covers the connection
// and every pause in the reply, an overall one the whole exchange; redirects are
// followed; the HTTP status is checked.

#include "HttpLimits.h"

#include <QByteArray>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>

namespace sotrix {

inline constexpr int kDelaiWmsMs = 10000;
inline constexpr qint64 kTailleMaxCapabilities = 32LL * 1024 * 1024;

struct ReponseWms {
    enum class Kind {
        Body,          // a 2xx reply, whole
        NoConnection,  // time-out before any byte came
        Failed,        // time-out after some bytes, a status outside 2xx, an oversized body
        NetworkError,  // no HTTP status at all: refused, host not found...
    };
    Kind kind = Kind::Failed;
    QByteArray body;
    int error = 0;  // QNetworkReply::NetworkError, for NetworkError
    QString errorString;
};

// The message of an outcome other than Body.
QString messageReponseWms(const ReponseWms& r);

class WmsClient : public QObject {
    Q_OBJECT
public:
    explicit WmsClient(int timeoutMs = kDelaiWmsMs, int overallMs = kDelaiTotalHttpMs, QObject* parent = nullptr);
    ~WmsClient() override;

    void get(const QString& url);
    void abort();
    bool busy() const { return reply_ != nullptr; }

signals:
    void finished(const sotrix::ReponseWms& outcome);

private:
    void onData();
    void onFinished();
    void onTimeout();
    void end(ReponseWms outcome);
    void drop();

    QNetworkAccessManager manager_;
    QTimer timer_;
    QTimer overall_;
    QPointer<QNetworkReply> reply_;
    QByteArray buffer_;
    bool received_ = false;
};

}  // namespace sotrix
