#pragma once
// The update check: the version document "sotrix.xml" under the update server's
// address is fetched over HTTP and compared with the program's own version. From the
// menu every outcome is told; at start-up only a newer version is.

#include "HttpLimits.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QTimer>
#include <QUrl>

#include <memory>
#include <optional>

class QNetworkAccessManager;
class QNetworkReply;

namespace sotrix {

extern const char* const kMsgMajHorsLigne;
extern const char* const kMsgMajDisponible;
extern const char* const kMsgMajAucune;
extern const char* const kMsgMajEchec;

struct VersionNumber {
    qint64 major = 0;
    qint64 minor = 0;
    qint64 revision = 0;
};

// A server's version text, blanks trimmed: "major.minor" or "major.minor.revision",
// major and minor runs of digits, the revision a decimal number whose whole part counts
// ("2.6.11.5" is 2.6.11). Anything else gives nullopt.
std::optional<VersionNumber> litVersion(const QString& text);
// Strictly greater than the program's own version, part by part.
bool plusRecente(const VersionNumber& version);

// The address of the version document under a base address: "http://" when no scheme
// is given, "/" unless the base ends with one, then "sotrix.xml". Nullopt for an
// address that is not a valid http or https URL with a host and a port in 1..65535.
std::optional<QUrl> adresseDocument(const QString& base);

// The two texts of the version document, trimmed.
struct UpdateDocument {
    QString version;
    QString url;
};
// Reads a reply body from its first "<?xml"; nullopt when there is none, when the
// document is malformed, or when /sotrix/version or /sotrix/url is missing.
std::optional<UpdateDocument> litDocument(const QByteArray& body);

class UpdateChecker : public QObject {
    Q_OBJECT
public:
    enum class Outcome { Skipped, Newer, Current, Failed };
    Q_ENUM(Outcome)

    static constexpr int kTransferTimeoutMs = 10000;  // nothing received for that long
    static constexpr int kOverallTimeoutMs = kDelaiTotalHttpMs;  // the whole exchange
    static constexpr qint64 kMaxBody = 1 << 20;

    explicit UpdateChecker(QObject* parent = nullptr);
    ~UpdateChecker() override;

    // The manager that requests go through (not owned). Without one, the checker makes
    // its own at its first request.
    void setNetworkAccessManager(QNetworkAccessManager* manager);
    void setTimeouts(int transferMs, int overallMs);

    // Starts a check, from the menu (manual) or at start-up. A check still running is
    // abandoned first: its end is never told.
    void update(bool manual);
    bool majManuelle() const { return majManuelle_; }
    bool running() const { return !reply_.isNull(); }

signals:
    // Every check that was not abandoned ends with one outcome, after its message.
    void finished(sotrix::UpdateChecker::Outcome outcome);

private:
    QNetworkAccessManager& manager();
    void abandon();
    void replyFinished(QNetworkReply* reply);
    void conclude(const std::optional<UpdateDocument>& document);
    void end(Outcome outcome);

    QPointer<QNetworkAccessManager> manager_;
    std::unique_ptr<QNetworkAccessManager> own_;
    QPointer<QNetworkReply> reply_;
    QTimer overall_;
    int transferMs_ = kTransferTimeoutMs;
    bool majManuelle_ = false;
};

}  // namespace sotrix
