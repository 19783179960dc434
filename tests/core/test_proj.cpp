// Projection layer and service: conversions against cs2cs, unit handling, error numbers
// and texts, handle life, and the set-up and release of the systems of one operation.
#include "Database.h"
#include "ProjApi.h"
#include "State.h"
#include "Workspace.h"
#include "proj4.h"

#include <QProcess>

#include <climits>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace sotrix {
namespace {

using test::PromptKind;
using test::WorkspaceTest;

const QString kLongLatIntlTowgs84 = QStringLiteral(
    "+proj=longlat +ellps=intl +towgs84=-106.869,52.2978,-103.724,0.3366,-0.457,1.8422,-1.2747 +no_defs");
const QString kMissingGrid = QStringLiteral("+proj=longlat +ellps=intl +nadgrids=nonexistent.gsb +no_defs");
const QString kStale = QStringLiteral("stale text");

// cs2cs on one point (x y 1), from one PROJ string to another; nullopt when it fails.
std::optional<std::pair<double, double>> cs2cs(const QString& from, const QString& to, double x, double y) {
    QStringList args{QStringLiteral("-f"), QStringLiteral("%.12f")};
    args += from.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    args += QStringLiteral("+to");
    args += to.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    QProcess p;
    p.start(QStringLiteral("cs2cs"), args);
    p.write(QByteArray::number(x, 'g', 17) + ' ' + QByteArray::number(y, 'g', 17) + " 1\n");
    p.closeWriteChannel();
    if (!p.waitForFinished(30000) || p.exitCode() != 0) return std::nullopt;
    const QStringList fields = QString::fromLatin1(p.readAllStandardOutput()).simplified().split(QLatin1Char(' '));
    bool okX = false, okY = false;
    const double rx = fields.value(0).toDouble(&okX);
    const double ry = fields.value(1).toDouble(&okY);
    if (!okX || !okY) return std::nullopt;
    return std::make_pair(rx, ry);
}

class ProjTest : public WorkspaceTest {
protected:
    QString definition(qint32 epsg) {
        DbGuard db;
        const auto text = definitionProj(*db, epsg);
        EXPECT_TRUE(text.has_value()) << epsg;
        return text.value_or(QString());
    }
    // Sets a system up for the rest of the test.
    int setUp(const QString& def) {
        handles_.emplace_back(def);
        EXPECT_NE(handles_.back().get(), 0) << def.toStdString();
        return handles_.back().get();
    }
    // Converts a point that must fail, and returns derniereErreurProj.
    QString failure(int src, int dst, double x, double y) {
        state().derniereErreurProj = kStale;
        EXPECT_FALSE(projTransformePoint(src, dst, x, y));
        EXPECT_NE(pjErrNum(), 0);
        return state().derniereErreurProj;
    }
    std::vector<ProjHandle> handles_;
};

TEST_F(ProjTest, DeliveredWgs84ToBelgianLambert72AndBack) {
    const int wgs84 = setUp(definition(4326));
    const int lambert = setUp(definition(31370));
    state().derniereErreurProj = kStale;
    double x = 4.35, y = 50.85;
    ASSERT_TRUE(projTransformePoint(wgs84, lambert, x, y));
    EXPECT_NEAR(x, 148679.45, 0.5);
    EXPECT_NEAR(y, 171066.81, 0.5);
    ASSERT_TRUE(projTransformePoint(lambert, wgs84, x, y));
    EXPECT_NEAR(x, 4.35, 1e-8);
    EXPECT_NEAR(y, 50.85, 1e-8);
    EXPECT_EQ(state().derniereErreurProj, kStale);

    const auto ref = cs2cs(definition(4326), definition(31370), 4.35, 50.85);
    ASSERT_TRUE(ref);
    x = 4.35, y = 50.85;
    ASSERT_TRUE(projTransformePoint(wgs84, lambert, x, y));
    EXPECT_NEAR(x, ref->first, 1e-3);
    EXPECT_NEAR(y, ref->second, 1e-3);
}

TEST_F(ProjTest, PairsMatchCs2csWithUnitsOnlyWhereDue) {
    // Projected to projected: map units in and out, no degree conversion.
    {
        const int from = setUp(definition(31370));
        const int to = setUp(definition(3812));
        double x = 148679.447, y = 171066.810;
        ASSERT_TRUE(projTransformePoint(from, to, x, y));
        EXPECT_NEAR(x, 648679.02, 0.05);
        EXPECT_NEAR(y, 671067.06, 0.05);
        const auto ref = cs2cs(definition(31370), definition(3812), 148679.447, 171066.810);
        ASSERT_TRUE(ref);
        EXPECT_NEAR(x, ref->first, 1e-3);
        EXPECT_NEAR(y, ref->second, 1e-3);
    }
    // Geographic to geographic with a datum shift: degrees in and out.
    {
        const int from = setUp(definition(4326));
        const int to = setUp(definition(4123));
        double x = 25.5, y = 61.25;
        ASSERT_TRUE(projTransformePoint(from, to, x, y));
        const auto ref = cs2cs(definition(4326), definition(4123), 25.5, 61.25);
        ASSERT_TRUE(ref);
        EXPECT_NEAR(x, ref->first, 1e-9);
        EXPECT_NEAR(y, ref->second, 1e-9);
        EXPECT_GT(std::abs(x - 25.5) + std::abs(y - 61.25), 1e-5);  // the shift was applied
    }
    // The same system: the point comes back as it went in.
    {
        const int wgs84 = setUp(definition(4326));
        double x = 4.35, y = 50.85;
        ASSERT_TRUE(projTransformePoint(wgs84, wgs84, x, y));
        EXPECT_NEAR(x, 4.35, 1e-9);
        EXPECT_NEAR(y, 50.85, 1e-9);
    }
}

TEST_F(ProjTest, LayerWorksInRadiansForGeographicSystems) {
    const int wgs84 = setUp(definition(4326));
    const int lambert = setUp(definition(31370));
    double x = 4.35 * std::numbers::pi / 180, y = 50.85 * std::numbers::pi / 180, z = 1.0;
    ASSERT_EQ(pjTransform(wgs84, lambert, x, y, z), 0);
    EXPECT_NEAR(x, 148679.45, 0.5);
    ASSERT_EQ(pjTransform(lambert, wgs84, x, y, z), 0);
    EXPECT_NEAR(x * 180 / std::numbers::pi, 4.35, 1e-8);
    EXPECT_NEAR(y * 180 / std::numbers::pi, 50.85, 1e-8);
}

TEST_F(ProjTest, IsLatLongLooksThroughBoundSystems) {
    EXPECT_NE(pjIsLatLong(setUp(definition(4326))), 0);
    EXPECT_NE(pjIsLatLong(setUp(kLongLatIntlTowgs84)), 0);
    EXPECT_EQ(pjIsLatLong(setUp(definition(31370))), 0);
    EXPECT_EQ(pjIsLatLong(setUp(definition(3857))), 0);
    EXPECT_EQ(pjIsLatLong(0), 0);
}

TEST_F(ProjTest, SetUpFailuresGiveProj4NumbersAndReport) {
    struct Case {
        QString def;
        int number;
        QString text;
    } cases[] = {
        {QStringLiteral("+proj=foo +ellps=WGS84"), -5, QStringLiteral("unknown projection id")},
        {QStringLiteral("foo bar"), -44, QStringLiteral("unparseable coordinate system definition")},
        {QString(), -44, QStringLiteral("unparseable coordinate system definition")},
        {QStringLiteral("+proj=utm +zone=99 +ellps=WGS84"), -44,
         QStringLiteral("unparseable coordinate system definition")},
    };
    for (const auto& c : cases) {
        // A success in between: the number comes from the failing call alone.
        pjFree(pjInitPlus(QStringLiteral("+proj=longlat +datum=WGS84")));
        EXPECT_EQ(pjInitPlus(c.def), 0) << c.def.toStdString();
        EXPECT_EQ(pjErrNum(), c.number) << c.def.toStdString();
        EXPECT_EQ(messageErreurDefinition(pjErrNum()),
                  QStringLiteral("Une erreur est survenue lors de la définition des systèmes de projection : "
                                 "erreur de projection [") +
                      c.text + QStringLiteral("]."));
    }
    EXPECT_EQ(messageErreurDefinition(0), messageErreurDefinition(-44));
}

TEST_F(ProjTest, PointFailuresAlwaysWriteTheirOwnText) {
    const int wgs84 = setUp(definition(4326));
    const int lambert = setUp(definition(31370));
    EXPECT_EQ(failure(wgs84, lambert, 4.35, 91),
              QStringLiteral("erreur de projection [latitude or longitude exceeded limits]"));
    EXPECT_EQ(pjErrNum(), -14);

    // Never cleared by a success.
    double x = 4.35, y = 50.85;
    state().derniereErreurProj = QStringLiteral("erreur de projection [latitude or longitude exceeded limits]");
    ASSERT_TRUE(projTransformePoint(wgs84, lambert, x, y));
    EXPECT_EQ(state().derniereErreurProj,
              QStringLiteral("erreur de projection [latitude or longitude exceeded limits]"));

    // The far side of the globe has no place on an orthographic view of Belgium.
    const int ortho = setUp(QStringLiteral("+proj=ortho +lat_0=50 +lon_0=4 +datum=WGS84 +no_defs"));
    EXPECT_EQ(failure(wgs84, ortho, -176, -50), QStringLiteral("erreur de projection [tolerance condition error]"));
    EXPECT_EQ(pjErrNum(), -20);

    const int grid = setUp(kMissingGrid);
    EXPECT_EQ(failure(grid, wgs84, 4.35, 50.85),
              QStringLiteral("erreur de projection [failed to load datum shift file]"));
    EXPECT_EQ(pjErrNum(), -38);

    // Non-finite input: PROJ gives inf back without an error of its own.
    EXPECT_EQ(failure(wgs84, lambert, HUGE_VAL, 50.85),
              QStringLiteral("erreur de projection [unparseable coordinate system definition]"));
    EXPECT_EQ(failure(lambert, wgs84, std::nan(""), 1000),
              QStringLiteral("erreur de projection [unparseable coordinate system definition]"));

    // Handles never set up, or 0.
    EXPECT_EQ(failure(0, lambert, 4.35, 50.85),
              QStringLiteral("erreur de projection [unparseable coordinate system definition]"));
    EXPECT_EQ(failure(wgs84, 987654, 4.35, 50.85),
              QStringLiteral("erreur de projection [unparseable coordinate system definition]"));

    // A failed layer call leaves the point as it was given.
    double rx = 0.1, ry = 1.6, rz = 7.0;
    EXPECT_NE(pjTransform(wgs84, lambert, rx, ry, rz), 0);
    EXPECT_EQ(rx, 0.1);
    EXPECT_EQ(ry, 1.6);
    EXPECT_EQ(rz, 7.0);
}

// A lot large enough to be shared among threads gives, point by point, the pairs, the
// numbers and the last number that converting one point after the other gives.
TEST_F(ProjTest, ALotGivesWhatOnePointAfterTheOtherGives) {
    const int wgs84 = setUp(definition(4326));
    const int lambert = setUp(definition(31370));
    const int ortho = setUp(QStringLiteral("+proj=ortho +lat_0=50 +lon_0=4 +datum=WGS84 +no_defs"));
    const int grid = setUp(kMissingGrid);
    const struct {
        const char* what;
        int src, dst;
        double x0, y0, step;  // the points walk from (x0, y0)
    } cases[] = {
        {"degrees to metres", wgs84, lambert, 2.5, 49.5, 0.0007},
        {"metres to degrees", lambert, wgs84, 20000, 20000, 61.3},
        {"half the points off the view", wgs84, ortho, -170, -60, 0.071},
        {"a missing grid", grid, wgs84, 4.35, 50.85, 0.0001},
        {"a handle never set up", 987654, wgs84, 0, 0, 1},
    };
    constexpr int kPoints = 5000;
    for (const auto& c : cases) {
        std::vector<double> x(kPoints), y(kPoints);
        for (int i = 0; i < kPoints; ++i) {
            x[i] = c.x0 + i * c.step;
            y[i] = c.y0 + (i % 97) * c.step;
        }
        // Points no system converts, among the others.
        x[17] = std::nan("");
        y[1234] = HUGE_VAL;
        y[4321] = 91;
        std::vector<double> lx = x, ly = y;
        const std::vector<int> codes = projTransformeLot(c.src, c.dst, lx, ly);
        const int lastOfLot = pjErrNum();
        ASSERT_EQ(codes.size(), size_t(kPoints)) << c.what;
        int failures = 0;
        for (int i = 0; i < kPoints; ++i) {
            double px = x[i], py = y[i];
            const bool ok = projTransformePoint(c.src, c.dst, px, py);
            EXPECT_EQ(codes[i], ok ? 0 : pjErrNum()) << c.what << ", point " << i;
            if (ok && codes[i] == 0) {
                EXPECT_EQ(lx[i], px) << c.what << ", point " << i;
                EXPECT_EQ(ly[i], py) << c.what << ", point " << i;
            }
            failures += !ok;
        }
        EXPECT_EQ(lastOfLot, pjErrNum()) << c.what;
        EXPECT_GT(failures, 0) << c.what;
    }
}

TEST(ProjErreur, TableEdges) {
    EXPECT_EQ(projErreur(0), QStringLiteral("no error"));
    EXPECT_EQ(projErreur(-1), QStringLiteral("no arguments in initialization list"));
    EXPECT_EQ(projErreur(-5), QStringLiteral("unknown projection id"));
    EXPECT_EQ(projErreur(-6), QStringLiteral("effective eccentricity = 1."));
    EXPECT_EQ(projErreur(-33), QStringLiteral("lat_1=lat_2 or lat_1=0 or lat_2=90"));
    EXPECT_EQ(projErreur(-38), QStringLiteral("failed to load datum shift file"));
    EXPECT_EQ(projErreur(-39), QStringLiteral("both n & m must be spec'd and > 0"));
    EXPECT_EQ(projErreur(-43), QStringLiteral("lat_0 is pi/2 from mean lat"));
    EXPECT_EQ(projErreur(-44), QStringLiteral("unparseable coordinate system definition"));
    EXPECT_EQ(projErreur(-45), QStringLiteral("System Error #-45"));
    EXPECT_EQ(projErreur(5), QStringLiteral("System Error #5"));
    EXPECT_EQ(projErreur(INT_MIN), QStringLiteral("System Error #-2147483648"));
}

TEST_F(ProjTest, HandlesAreNeverReusedAndFreedOnesFail) {
    const int live = pjLiveHandles();
    const int wgs84 = setUp(definition(4326));
    const int lambert = pjInitPlus(definition(31370));
    ASSERT_NE(lambert, 0);
    double x = 4.35, y = 50.85;
    ASSERT_TRUE(projTransformePoint(wgs84, lambert, x, y));  // caches the pair
    pjFree(lambert);
    pjFree(lambert);
    pjFree(0);
    EXPECT_EQ(pjLiveHandles(), live + 1);
    state().derniereErreurProj.clear();
    x = 4.35, y = 50.85;
    EXPECT_FALSE(projTransformePoint(wgs84, lambert, x, y));
    EXPECT_EQ(state().derniereErreurProj,
              QStringLiteral("erreur de projection [unparseable coordinate system definition]"));
    const int again = setUp(definition(31370));
    EXPECT_NE(again, lambert);
    EXPECT_GT(again, lambert);
    EXPECT_EQ(pjIsLatLong(lambert), 0);
    x = 4.35, y = 50.85;
    EXPECT_TRUE(projTransformePoint(wgs84, again, x, y));
}

TEST_F(ProjTest, SystemsOfOneOperationAreSetUpAndAlwaysFreed) {
    const int live = pjLiveHandles();
    {
        ProjSystems systems(4326, 31370);
        ASSERT_TRUE(systems.ok());
        EXPECT_EQ(pjLiveHandles(), live + 2);
        double x = 4.35, y = 50.85;
        state().resultatOk = false;
        EXPECT_TRUE(systems.transforme(x, y));
        EXPECT_TRUE(state().resultatOk);
        EXPECT_NEAR(x, 148679.45, 0.5);
        y = 91;
        EXPECT_FALSE(systems.transforme(x, y));
        EXPECT_FALSE(state().resultatOk);
    }
    EXPECT_EQ(pjLiveHandles(), live);

    EXPECT_THROW(
        {
            DbGuard db;
            ProjSystems systems(*db, 31370, 4326);
            EXPECT_EQ(pjLiveHandles(), live + 2);
            throw std::runtime_error("conversion failed");
        },
        std::runtime_error);
    EXPECT_EQ(pjLiveHandles(), live);
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(ProjTest, MissingDefinitionIsNotFoundWithoutPrompt) {
    {
        DbGuard db;
        db->exec(QStringLiteral("update Proj set proj4 = '' where epsg = 31370"));
    }
    const int live = pjLiveHandles();
    for (const auto& [a, b] : {std::pair{4326, 31370}, std::pair{99999, 4326}, std::pair{4326, -1}}) {
        ProjSystems systems(a, b);
        EXPECT_EQ(systems.status(), ProjSystems::Status::NotFound);
        EXPECT_EQ(systems.source(), 0);
        EXPECT_EQ(pjLiveHandles(), live);
    }
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(ProjTest, SetUpFailureIsReportedOnceAndFreesTheOtherSystem) {
    {
        DbGuard db;
        db->exec(QStringLiteral("update Proj set proj4 = ? where epsg = 31370"),
                 {QStringLiteral("+proj=foo +ellps=WGS84")});
    }
    const int live = pjLiveHandles();
    {
        ProjSystems systems(4326, 31370);
        EXPECT_EQ(systems.status(), ProjSystems::Status::SetupFailed);
        EXPECT_NE(systems.source(), 0);
        EXPECT_EQ(systems.destination(), 0);
    }
    EXPECT_EQ(pjLiveHandles(), live);
    {
        ProjSystems systems(31370, 4326);
        EXPECT_EQ(systems.status(), ProjSystems::Status::SetupFailed);
        EXPECT_EQ(systems.source(), 0);
        EXPECT_EQ(systems.destination(), 0);
    }
    ASSERT_EQ(prompts->prompts().size(), 2u);
    for (const auto& p : prompts->prompts()) {
        EXPECT_EQ(p.kind, PromptKind::Message);
        EXPECT_EQ(p.icon, Icon::None);
        EXPECT_EQ(p.text, QStringLiteral("Une erreur est survenue lors de la définition des systèmes de projection : "
                                         "erreur de projection [unknown projection id]."));
    }
}

}  // namespace
}  // namespace sotrix
