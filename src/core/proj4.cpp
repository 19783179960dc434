#include "proj4.h"

#include "Database.h"
#include "ProjApi.h"
#include "State.h"

#include <algorithm>
#include <array>
#include <utility>

namespace sotrix {

const char* const kMsgProjIntrouvable = "Impossible de récupérer les paramètres du système de projection.";

namespace {

// PROJ.4's published messages, entry -n for error number n.
constexpr std::array<const char*, 45> kMessages = {
    "no error",
    "no arguments in initialization list",
    "no options found in 'init' file",
    "no colon in init= string",
    "projection not named",
    "unknown projection id",
    "effective eccentricity = 1.",
    "unknown unit conversion id",
    "invalid boolean param argument",
    "unknown elliptical parameter name",
    "reciprocal flattening (1/f) = 0",
    "|radius reference latitude| > 90",
    "squared eccentricity < 0",
    "major axis or radius = 0 or not given",
    "latitude or longitude exceeded limits",
    "invalid x or y",
    "improperly formed DMS value",
    "non-convergent inverse meridional dist",
    "non-convergent inverse phi2",
    "acos/asin: |arg| >1.+1e-14",
    "tolerance condition error",
    "conic lat_1 = -lat_2",
    "lat_1 >= 90",
    "lat_1 = 0",
    "lat_ts >= 90",
    "no distance between control points",
    "projection not selected to be rotated",
    "W <= 0 or M <= 0",
    "lsat not in 1-5 range",
    "path not in range",
    "h <= 0",
    "k <= 0",
    "lat_0 = 0 or 90 or alpha = 90",
    "lat_1=lat_2 or lat_1=0 or lat_2=90",
    "elliptical usage required",
    "invalid UTM zone number",
    "arg(s) out of range for Tcheby eval",
    "failed to find projection to be rotated",
    "failed to load datum shift file",
    "both n & m must be spec'd and > 0",
    "n <= 0, n > 1 or not specified",
    "lat_1 or lat_2 not specified",
    "|lat_1| == |lat_2|",
    "lat_0 is pi/2 from mean lat",
    "unparseable coordinate system definition",
};

// A failure always has a number: the layer promises one, and -44 stands in otherwise.
int failureNumber(int n) { return n != 0 ? n : -44; }

}  // namespace

QString projErreur(int n) {
    if (n <= 0 && n >= -44) return QString::fromLatin1(kMessages[static_cast<std::size_t>(-n)]);
    return QStringLiteral("System Error #") + QString::number(n);
}

bool projTransformePoint(int source, int destination, double& x, double& y) {
    if (pjIsLatLong(source)) {
        x *= kDegresVersRadians;
        y *= kDegresVersRadians;
    }
    double z = 1.0;
    if (pjTransform(source, destination, x, y, z) != 0) {
        state().derniereErreurProj = texteErreurProj(pjErrNum());
        return false;
    }
    if (pjIsLatLong(destination)) {
        x *= kRadiansVersDegres;
        y *= kRadiansVersDegres;
    }
    return true;
}

QString texteErreurProj(int n) {
    return QStringLiteral("erreur de projection [") + projErreur(failureNumber(n)) + QStringLiteral("]");
}

std::vector<int> projTransformeLot(int source, int destination, std::vector<double>& x, std::vector<double>& y) {
    const std::size_t n = std::min(x.size(), y.size());
    if (pjIsLatLong(source)) {
        for (std::size_t i = 0; i < n; ++i) {
            x[i] *= kDegresVersRadians;
            y[i] *= kDegresVersRadians;
        }
    }
    std::vector<int> codes(n, 0);
    pjTransformLot(source, destination, x.data(), y.data(), 1.0, codes.data(), n);
    if (pjIsLatLong(destination)) {
        for (std::size_t i = 0; i < n; ++i) {
            if (codes[i] != 0) continue;
            x[i] *= kRadiansVersDegres;
            y[i] *= kRadiansVersDegres;
        }
    }
    return codes;
}

QString messageErreurDefinition(int n) {
    const QString prefix =
        QString::fromUtf8("Une erreur est survenue lors de la définition des systèmes de projection : ");
    return prefix + QStringLiteral("erreur de projection [") + projErreur(failureNumber(n)) + QStringLiteral("].");
}

void signaleErreurDefinition(int n) { prompter().message(messageErreurDefinition(n), Icon::None); }

std::optional<QString> definitionProj(Database& db, qint32 epsg) {
    Cursor rows = db.query(
        QStringLiteral("select proj4 from Proj where epsg = ? and proj4 is not null and proj4 <> '' ;"), {epsg});
    if (!rows.next()) return std::nullopt;
    return rows.value(0).toString();
}

ProjHandle::ProjHandle(const QString& definition) : handle_(pjInitPlus(definition)) {}

ProjHandle& ProjHandle::operator=(ProjHandle&& other) noexcept {
    if (this != &other) {
        reset();
        handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
}

void ProjHandle::reset() noexcept {
    if (handle_ != 0) pjFree(handle_);
    handle_ = 0;
}

ProjSystems::ProjSystems(Database& db, qint32 source, qint32 destination) {
    const auto from = definitionProj(db, source);
    const auto to = definitionProj(db, destination);
    setUp(from, to);
}

ProjSystems::ProjSystems(qint32 source, qint32 destination) {
    std::optional<QString> from, to;
    {
        DbGuard db;
        from = definitionProj(*db, source);
        to = definitionProj(*db, destination);
    }
    setUp(from, to);
}

void ProjSystems::setUp(const std::optional<QString>& source, const std::optional<QString>& destination) {
    if (!source || !destination) {
        status_ = Status::NotFound;
        return;
    }
    status_ = Status::SetupFailed;
    source_ = ProjHandle(*source);
    if (!source_) {
        signaleErreurDefinition(pjErrNum());
        return;
    }
    destination_ = ProjHandle(*destination);
    if (!destination_) {
        signaleErreurDefinition(pjErrNum());
        return;
    }
    status_ = Status::Ok;
}

bool ProjSystems::transforme(double& x, double& y) {
    const bool ok = projTransformePoint(source_.get(), destination_.get(), x, y);
    state().resultatOk = ok;
    return ok;
}

}  // namespace sotrix
