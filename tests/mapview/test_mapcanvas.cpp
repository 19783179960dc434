// The map canvas on its own: scale, pixel mapping, discs, lines, stretched images,
// overlays and mouse events.
#include "MapCanvas.h"
#include "scaled_screen.h"

#include <QApplication>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace sotrix {
namespace {

class Canvas : public ::testing::Test {
protected:
    void SetUp() override {
        canvas.setFixedSize(400, 300);
        canvas.show();
        QApplication::processEvents();
        ASSERT_EQ(canvas.image().size(), QSize(400, 300));
        // 3 pixels per unit, (0, 0) at the centre, Y up.
        canvas.setScale(-200.0 / 3, 50, 400.0 / 3, -100);
    }
    QColor at(int x, int y) const { return canvas.image().pixelColor(x, y); }
    MapCanvas canvas;
};


TEST_F(Canvas, MapsUserUnitsOntoPixelsWithYUpAndBack) {
    canvas.setScale(-66.667, 50, 133.333, -100);
    const QPointF centre = canvas.toPixel(0, 0);
    EXPECT_NEAR(centre.x(), 200, 0.01);
    EXPECT_NEAR(centre.y(), 150, 1e-9);
    EXPECT_LT(canvas.toPixel(0, 10).y(), centre.y()) << "Y grows upward";
    for (const QPointF p : {QPointF(0, 0), QPointF(-66.667, 50), QPointF(12.5, -33.25)}) {
        const QPointF px = canvas.toPixel(p.x(), p.y());
        const QPointF back = canvas.toUser(px.x(), px.y());
        EXPECT_NEAR(back.x(), p.x(), 1e-9);
        EXPECT_NEAR(back.y(), p.y(), 1e-9);
    }
}


TEST_F(Canvas, ADiscIsFilledRoundAndSizedThroughTheHorizontalFactor) {
    canvas.setFill(true, 0xFF0000);
    canvas.circle(0, 0, 0.8, 0xFF0000);
    EXPECT_EQ(at(200, 150), QColor(0, 0, 255));
    int minX = 400, maxX = -1, minY = 300, maxY = -1;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x)
            if (canvas.image().pixel(x, y) != 0xFFFFFFFFu) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
    EXPECT_EQ(minX, 197);
    EXPECT_EQ(maxX, 202);
    EXPECT_EQ(maxX - minX, maxY - minY) << "square bounding box";
}


TEST_F(Canvas, LinesUseTheDrawWidthAndZeroLengthLinesPaintNothing) {
    canvas.line(5, 5, 5, 5, 255);
    bool white = true;
    for (int y = 0; y < 300 && white; ++y)
        for (int x = 0; x < 400; ++x)
            if (canvas.image().pixel(x, y) != 0xFFFFFFFFu) {
                white = false;
                break;
            }
    EXPECT_TRUE(white);

    canvas.line(-10, 0, 10, 0, 255);
    EXPECT_EQ(at(200, 150), QColor(255, 0, 0));
    EXPECT_EQ(at(200, 152), QColor(Qt::white));
    canvas.setDrawWidth(5);
    canvas.line(-10, -10, 10, -10, 0xFF0000);
    EXPECT_EQ(at(200, 180 + 2), QColor(0, 0, 255));
    EXPECT_EQ(at(200, 180 - 2), QColor(0, 0, 255));
}

TEST_F(Canvas, AStretchedPictureFillsTheCanvasUpright) {
    QImage img(8, 10, QImage::Format_RGB32);
    img.fill(Qt::green);
    for (int x = 0; x < 8; ++x) img.setPixelColor(x, 0, Qt::red);
    canvas.paintPicture(img, canvas.scaleLeft(), canvas.scaleTop(), canvas.scaleWidth(), canvas.scaleHeight());
    EXPECT_EQ(at(0, 0), QColor(Qt::red));
    EXPECT_EQ(at(399, 0), QColor(Qt::red));
    EXPECT_EQ(at(0, 299), QColor(Qt::green));
    EXPECT_EQ(at(399, 299), QColor(Qt::green));
    EXPECT_EQ(at(200, 150), QColor(Qt::green));
}

TEST_F(Canvas, DrawingSurvivesRepaintsAndOnlyClsErasesIt) {
    canvas.line(-10, 0, 10, 0, 255);
    canvas.repaint();
    canvas.showBand(QRectF(-10, 10, 20, -20));
    canvas.showLine(QPointF(0, 0), QPointF(10, 10));
    canvas.repaint();
    EXPECT_EQ(at(200, 150), QColor(255, 0, 0)) << "overlays are not drawn into the picture";
    EXPECT_TRUE(canvas.bandVisible());
    EXPECT_TRUE(canvas.lineVisible());
    const QImage shown = canvas.grab().toImage();
    EXPECT_EQ(shown.pixelColor(170, 140), QColor(Qt::black)) << "band edge on screen";
    canvas.hideBand();
    canvas.hideLine();
    canvas.cls();
    EXPECT_EQ(at(200, 150), QColor(Qt::white));
}

TEST_F(Canvas, AResizeGivesAFreshPictureAndSettlesOnce) {
    QSignalSpy settled(&canvas, &MapCanvas::resizeSettled);
    canvas.line(-10, 0, 10, 0, 255);
    canvas.setFixedSize(200, 100);
    canvas.setFixedSize(220, 110);
    QApplication::processEvents();
    EXPECT_EQ(canvas.image().size(), QSize(220, 110));
    EXPECT_EQ(canvas.image().pixel(0, 0), 0xFFFFFFFFu);
    EXPECT_TRUE(settled.wait(1000));
    QTest::qWait(200);
    EXPECT_EQ(settled.count(), 1);
}

TEST_F(Canvas, MouseEventsCarryMapUnitsAndADoubleClickIsNoSecondPress) {
    QSignalSpy down(&canvas, &MapCanvas::mouseDown);
    QSignalSpy up(&canvas, &MapCanvas::mouseUp);
    QSignalSpy dbl(&canvas, &MapCanvas::dblClick);
    QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(230, 120));
    ASSERT_EQ(down.count(), 1);
    EXPECT_NEAR(down[0][2].toDouble(), 10, 1e-9);
    EXPECT_NEAR(down[0][3].toDouble(), 10, 1e-9);
    EXPECT_EQ(up.count(), 1);

    down.clear();
    QWindow* window = canvas.windowHandle();
    ASSERT_NE(window, nullptr);
    QTest::mouseDClick(window, Qt::LeftButton, {}, canvas.mapTo(canvas.window(), QPoint(200, 150)));
    EXPECT_EQ(down.count(), 1);
    EXPECT_EQ(dbl.count(), 1);
}


// At any screen scale the picture has the screen's pixels, a disc keeps its radius and pen
// in logical pixels, a stretched picture covers the widget, every pixel is of a colour
// drawn (no antialiasing), and a press still lands on the map point under it.
TEST(CanvasAtScale, ThePictureHasTheScreensPixelsAndSymbolsTheirLogicalSize) {
    const struct {
        double scale;
        QSize picture;
        int discLeft, discRight;  // columns of the disc's edges
    } rows[] = {{1, {400, 300}, 197, 202}, {1.5, {600, 450}, 296, 303}, {2, {800, 600}, 394, 405}};
    const double here = test::echelleEcran();
    for (const auto& r : rows) {
        if (r.scale != here) continue;
        SCOPED_TRACE(r.scale);
        MapCanvas canvas;
        canvas.setFixedSize(400, 300);
        canvas.show();
        QApplication::processEvents();
        canvas.setScale(-200.0 / 3, 50, 400.0 / 3, -100);
        const QImage& image = canvas.image();
        EXPECT_EQ(image.size(), r.picture);
        EXPECT_EQ(image.devicePixelRatio(), r.scale);

        canvas.setFill(true, 0xFF0000);
        canvas.circle(0, 0, 0.8, 0xFF0000);
        QRect drawn;
        bool twoColours = true;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QRgb p = image.pixel(x, y);
                if (p != 0xFFFFFFFFu) drawn |= QRect(x, y, 1, 1);
                twoColours = twoColours && (p == 0xFFFFFFFFu || p == 0xFF0000FFu);
            }
        EXPECT_TRUE(twoColours) << "a blended pixel";
        EXPECT_EQ(drawn.left(), r.discLeft);
        EXPECT_EQ(drawn.right(), r.discRight);
        EXPECT_EQ(drawn.width(), drawn.height()) << "square bounding box";

        QImage stretched(8, 10, QImage::Format_RGB32);
        stretched.fill(Qt::green);
        for (int x = 0; x < 8; ++x) stretched.setPixelColor(x, 0, Qt::red);
        canvas.paintPicture(stretched, canvas.scaleLeft(), canvas.scaleTop(), canvas.scaleWidth(), canvas.scaleHeight());
        EXPECT_EQ(image.pixelColor(image.width() - 1, 0), QColor(Qt::red));
        EXPECT_EQ(image.pixelColor(0, image.height() - 1), QColor(Qt::green));

        QSignalSpy down(&canvas, &MapCanvas::mouseDown);
        QTest::mouseClick(&canvas, Qt::LeftButton, {}, QPoint(230, 120));
        ASSERT_EQ(down.count(), 1);
        EXPECT_NEAR(down[0][2].toDouble(), 10, 1e-9);
        EXPECT_NEAR(down[0][3].toDouble(), 10, 1e-9);
    }
    if (here == 1)
        for (const double scale : {1.5, 2.0}) test::lanceAEchelle(scale);
}

}  // namespace
}  // namespace sotrix
