#pragma once
// Mouse input at map points, a snapshot of the two data tables, and a reader of the
// information windows shown while an action runs.

#include "Database.h"
#include "MapCanvas.h"

#include <QApplication>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWindow>

#include <functional>
#include <ostream>

// Texts read in test failures.
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }

namespace sotrix::test {

// The pixel under a map point, rounded.
inline QPoint pixelOf(const MapCanvas* c, double x, double y) {
    const QPointF p = c->toPixel(x, y);
    return {qRound(p.x()), qRound(p.y())};
}

// The map point under a pixel.
inline QPointF mapOf(const MapCanvas* c, QPoint p) { return c->toUser(p.x(), p.y()); }

// Press at a, move to b, release at b.
inline void drag(MapCanvas* c, QPoint a, QPoint b) {
    QTest::mousePress(c, Qt::LeftButton, {}, a);
    QTest::mouseMove(c, b);
    QTest::mouseRelease(c, Qt::LeftButton, {}, b);
}

// A click through the canvas's window, as the system delivers it (double clicks paired).
inline void clickOnWindow(MapCanvas* c, QPoint p) {
    QTest::mouseClick(c->window()->windowHandle(), Qt::LeftButton, {}, c->mapTo(c->window(), p));
}
inline void doubleClickOnWindow(MapCanvas* c, QPoint p) {
    QTest::mouseDClick(c->window()->windowHandle(), Qt::LeftButton, {}, c->mapTo(c->window(), p));
}

// Every row of Points and Trace, every column, as text.
inline QStringList tableRows() {
    QStringList rows;
    DbGuard db;
    for (const char* sql : {"select * from Points order by Id_point", "select * from Trace order by Id_trace"}) {
        Cursor c = db->query(QString::fromLatin1(sql));
        while (c.next()) {
            QStringList cols;
            for (int i = 0; i < c.columnCount(); ++i)
                cols << (c.value(i).isNull() ? QStringLiteral("<null>") : c.value(i).toString());
            rows << cols.join(QLatin1Char('|'));
        }
    }
    return rows;
}

// Runs the action; each information window it shows is read and closed with its button.
// The lines of each window, in order.
inline std::vector<QStringList> infoWindows(const std::function<void()>& action) {
    std::vector<QStringList> shown;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        QWidget* w = QApplication::activeModalWidget();
        if (!w || w->objectName() != QStringLiteral("frmInfo") || !w->isVisible()) return;
        QStringList lines;
        const auto* list = w->findChild<QListWidget*>(QStringLiteral("lstInfo"));
        for (int i = 0; list && i < list->count(); ++i) lines << list->item(i)->text();
        shown.push_back(lines);
        w->findChild<QPushButton*>(QStringLiteral("cmdQuitter"))->click();
    });
    poll.start();
    action();
    QApplication::processEvents();
    return shown;
}

}  // namespace sotrix::test
