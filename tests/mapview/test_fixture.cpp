#include "test_fixture.h"

#include "Database.h"
#include "MapCanvas.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>

namespace sotrix::test {

void MapviewTest::SetUp() {
    WorkspaceTest::SetUp();
    loadOptions();
    form = std::make_unique<frmAccueil>();
    canvas = form->picture1();
    canvas->setFixedSize(400, 300);
    form->resize(1000, 700);
    form->show();
    QApplication::processEvents();
    ASSERT_EQ(canvas->size(), QSize(400, 300));
}

void MapviewTest::TearDown() {
    form.reset();
    WorkspaceTest::TearDown();
}

qint64 MapviewTest::insertWaypoint(const QString& nom, double x, double y, bool selected) {
    DbGuard db;
    return db->insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), nom},
                                                 {QStringLiteral("X"), x},
                                                 {QStringLiteral("Y"), y},
                                                 {QStringLiteral("Trace"), 0},
                                                 {QStringLiteral("Selected"), selected ? 1 : 0}});
}

qint64 MapviewTest::addTrack(const QString& nom, const std::vector<QPointF>& points, bool closed, bool selected) {
    DbGuard db;
    const qint64 id = db->insert(QStringLiteral("Trace"), {{QStringLiteral("Nom"), nom},
                                                           {QStringLiteral("Fermer"), closed ? 1 : 0},
                                                           {QStringLiteral("Selected"), selected ? 1 : 0},
                                                           {QStringLiteral("Nb"), qint64(points.size())}});
    qint64 n = 0;
    for (const QPointF& p : points)
        db->insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), nom},
                                              {QStringLiteral("X"), p.x()},
                                              {QStringLiteral("Y"), p.y()},
                                              {QStringLiteral("Trace"), id},
                                              {QStringLiteral("Num_trace"), ++n},
                                              {QStringLiteral("Selected"), selected ? 1 : 0}});
    return id;
}

bool MapviewTest::pointSelected(qint64 id) {
    DbGuard db;
    return db->scalar(QStringLiteral("select Selected from Points where Id_point = ?"), {id}).toLongLong() != 0;
}

bool MapviewTest::traceSelected(qint64 id) {
    DbGuard db;
    return db->scalar(QStringLiteral("select Selected from Trace where Id_trace = ?"), {id}).toLongLong() != 0;
}

QStringList MapviewTest::selection() {
    QStringList out;
    DbGuard db;
    Cursor p = db->query(QStringLiteral("select Id_point, Selected from Points order by Id_point"));
    while (p.next()) out << QStringLiteral("P:%1=%2").arg(p.value(0).toLongLong()).arg(p.value(1).toLongLong());
    Cursor t = db->query(QStringLiteral("select Id_trace, Selected from Trace order by Id_trace"));
    while (t.next()) out << QStringLiteral("T:%1=%2").arg(t.value(0).toLongLong()).arg(t.value(1).toLongLong());
    return out;
}

void MapviewTest::watchWrites() {
    DbGuard db;
    db->exec(QStringLiteral("create table ecritures (quoi text)"));
    db->exec(QStringLiteral("create trigger ecrit_points after update on Points begin "
                            "insert into ecritures values (case when old.Trace = 0 then 'P0' else 'P+' end); end"));
    db->exec(QStringLiteral("create trigger ecrit_traces after update on Trace begin "
                            "insert into ecritures values ('T'); end"));
}

qint64 MapviewTest::writes(const char* kind) {
    DbGuard db;
    return db->scalar(QStringLiteral("select count(*) from ecritures where quoi = ?"), {QString::fromLatin1(kind)})
        .toLongLong();
}

void MapviewTest::expectTrackInvariant() {
    DbGuard db;
    const qint64 broken = db->scalar(QStringLiteral(
        "select count(*) from Points P join Trace T on T.Id_trace = P.Trace "
        "where (P.Selected <> 0) <> (T.Selected <> 0)")).toLongLong();
    EXPECT_EQ(broken, 0) << "track points out of step with their track";
}

void MapviewTest::viewAt(double x, double y, double tailleVue) {
    form->centreX = x;
    form->centreY = y;
    form->tailleVue = tailleVue;
    form->redraw();
}

QColor MapviewTest::pixelAt(double x, double y) {
    const QPointF p = canvas->toPixel(x, y);
    return canvas->image().pixelColor(int(std::floor(p.x())), int(std::floor(p.y())));
}

bool MapviewTest::near(double x, double y, const QColor& colour) {
    const QPointF p = canvas->toPixel(x, y);
    const QImage& img = canvas->image();
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx) {
            const QPoint q(int(std::floor(p.x())) + dx, int(std::floor(p.y())) + dy);
            if (img.valid(q) && img.pixelColor(q) == colour) return true;
        }
    return false;
}

bool MapviewTest::allWhite() {
    const QImage& img = canvas->image();
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            if (img.pixel(x, y) != 0xFFFFFFFFu) return false;
    return !img.isNull();
}

ListeNoms* MapviewTest::list(const char* name) { return form->findChild<ListeNoms*>(QString::fromUtf8(name)); }
QCheckBox* MapviewTest::box(const char* name) { return form->findChild<QCheckBox*>(QString::fromUtf8(name)); }
QLabel* MapviewTest::label(const char* name) { return form->findChild<QLabel*>(QString::fromUtf8(name)); }

}  // namespace sotrix::test
