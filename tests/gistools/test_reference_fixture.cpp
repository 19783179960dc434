#include "test_reference_fixture.h"

#include "MapCanvas.h"
#include "MapServerRenderer.h"

#include <QFile>

namespace sotrix::test {

void ReferenceTest::SetUp() {
    MapviewTest::SetUp();
    dataDir = std::make_unique<QTemporaryDir>();
    ASSERT_TRUE(dataDir->isValid());
    data = std::make_unique<GisData>(dataDir->path());
    form->setReferenceRenderer(std::make_shared<MapServerRenderer>());
}

void ReferenceTest::TearDown() {
    data.reset();
    dataDir.reset();
    MapviewTest::TearDown();
}

void ReferenceTest::choose(const QString& path, int kind) { prompts->answerOpen(FileChoice{{path}, kind}); }

void ReferenceTest::cancel() { prompts->answerOpen(std::nullopt); }

void ReferenceTest::standardView() { viewAt(152000, 169500, 3000); }

void ReferenceTest::setLayer(const QString& path, int kind) {
    ReferenceLayer layer;
    layer.coucheRef = path;
    layer.typeCoucheRef = kind;
    layer.refMinX = 150000, layer.refMaxX = 152000, layer.refMinY = 169000, layer.refMaxY = 170000;
    form->setReferenceLayer(layer);
}

::testing::AssertionResult ReferenceTest::colourAt(double x, double y, const QColor& expected, int tolerance) {
    const QColor c = pixelAt(x, y);
    if (std::abs(c.red() - expected.red()) <= tolerance && std::abs(c.green() - expected.green()) <= tolerance &&
        std::abs(c.blue() - expected.blue()) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "at (" << x << ", " << y << ") the map is (" << c.red() << ", "
                                         << c.green() << ", " << c.blue() << "), not (" << expected.red() << ", "
                                         << expected.green() << ", " << expected.blue() << ")";
}

QByteArray ReferenceTest::fileBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

void ReferenceTest::writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly)) << path.toStdString();
    f.write(bytes);
}

QStringList ReferenceTest::promptTrail() const {
    QStringList out;
    for (const Prompt& p : prompts->prompts())
        out << (p.kind == PromptKind::OpenFile ? QStringLiteral("open") : p.text);
    return out;
}

}  // namespace sotrix::test
