// The reference layer under the data: the renderer's image painted first, and a failed
// rendering that drops the layer with one warning while the data are still drawn.
#include "test_fixture.h"

#include "AppDir.h"
#include "MapCanvas.h"
#include "ReferenceRenderer.h"
#include "State.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>

namespace sotrix {
namespace {

using test::kBlue;
using test::kWhite;
using test::MapviewTest;

const QString kMessage = QStringLiteral("Une erreur est survenue lors de l'affichage de la couche de référence.");

// Writes PNG content under the renderer's image name, so that colours are exact.
class FakeRenderer : public ReferenceRenderer {
public:
    enum class Output { Green, Nothing, Garbage };
    explicit FakeRenderer(Output output) : output_(output) {}
    void render(double xmin, double ymin, double xmax, double ymax, QSize pixels, const QString& imagePath) override {
        ++calls;
        extent = {xmin, ymin, xmax, ymax};
        size = pixels;
        path = imagePath;
        if (output_ == Output::Green) {
            QImage img(16, 12, QImage::Format_RGB32);
            img.fill(Qt::green);
            img.save(imagePath, "PNG");
        } else if (output_ == Output::Garbage) {
            QFile f(imagePath);
            f.open(QIODevice::WriteOnly);
            f.write("pas une image");
        }
    }
    int calls = 0;
    std::array<double, 4> extent{};
    QSize size;
    QString path;

private:
    Output output_;
};

class Reference : public MapviewTest {
protected:
    std::shared_ptr<FakeRenderer> useRenderer(FakeRenderer::Output output) {
        auto r = std::make_shared<FakeRenderer>(output);
        form->setReferenceRenderer(r);
        ReferenceLayer ref;
        ref.coucheRef = QStringLiteral("/cartes/l'Ardenne.shp");
        ref.typeCoucheRef = 1;
        ref.refMinX = -40, ref.refMaxX = 40, ref.refMinY = -30, ref.refMaxY = 30;
        form->setReferenceLayer(ref);
        return r;
    }
    void touch(const QString& name) {
        QFile f(path(name));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("x");
    }
};

TEST_F(Reference, TheImageFillsTheMapUnderTheDataForTheVisibleExtent) {
    auto r = useRenderer(FakeRenderer::Output::Green);
    insertWaypoint(QStringLiteral("a"), 0, 0);
    viewAt(0, 0, 100);
    ASSERT_EQ(r->calls, 1);
    EXPECT_NEAR(r->extent[0], -200.0 / 3, 1e-9);
    EXPECT_NEAR(r->extent[1], -50, 1e-9);
    EXPECT_NEAR(r->extent[2], 200.0 / 3, 1e-9);
    EXPECT_NEAR(r->extent[3], 50, 1e-9);
    EXPECT_EQ(r->size, QSize(400, 300));
    EXPECT_EQ(r->path, path(QStringLiteral("sotrix.jpg")));
    EXPECT_EQ(canvas->image().pixelColor(5, 5), QColor(Qt::green));
    EXPECT_EQ(canvas->image().pixelColor(395, 295), QColor(Qt::green));
    EXPECT_EQ(pixelAt(0, 0), kBlue);
    EXPECT_EQ(form->coucheRef, QStringLiteral("/cartes/l'Ardenne.shp"));
    EXPECT_TRUE(prompts->prompts().empty());
}

TEST_F(Reference, NoImageOrAnUnreadableOneDropsTheLayerWithOneWarning) {
    for (const auto output : {FakeRenderer::Output::Nothing, FakeRenderer::Output::Garbage}) {
        prompts->clear();
        touch(QStringLiteral("sotrix.map"));
        auto r = useRenderer(output);
        insertWaypoint(QStringLiteral("a%1").arg(int(output)), 0, 0);
        addTrack(QStringLiteral("t%1").arg(int(output)), {{-20, 10}, {20, 10}});
        viewAt(0, 0, 100);
        EXPECT_EQ(r->calls, 1);
        ASSERT_EQ(prompts->prompts().size(), 1u);
        EXPECT_EQ(prompts->prompts()[0].text, kMessage);
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::Exclamation);
        EXPECT_TRUE(form->coucheRef.isEmpty());
        EXPECT_TRUE(label("lblRéférence")->text().isEmpty());
        EXPECT_EQ(form->typeCoucheRef, 1) << "type and extent stay";
        EXPECT_EQ(form->refMaxX, 40);
        EXPECT_FALSE(QFile::exists(path(QStringLiteral("sotrix.map"))));
        EXPECT_EQ(pixelAt(0, 0), kBlue);
        EXPECT_TRUE(near(0, 10, kBlue));
        EXPECT_EQ(canvas->image().pixelColor(5, 5), kWhite);

        form->redraw();
        EXPECT_EQ(r->calls, 1) << "the dropped layer is not rendered again";
    }
}

TEST_F(Reference, TheMapfileStaysWhenWorkingFilesAreKept) {
    state().paramSupInt = false;
    touch(QStringLiteral("sotrix.map"));
    useRenderer(FakeRenderer::Output::Nothing);
    viewAt(0, 0, 100);
    EXPECT_EQ(prompts->texts(), QStringList{kMessage});
    EXPECT_TRUE(QFile::exists(path(QStringLiteral("sotrix.map"))));
}

TEST_F(Reference, AnImageLeftByAnEarlierRunIsNeverPainted) {
    QImage stale(8, 8, QImage::Format_RGB32);
    stale.fill(Qt::green);
    ASSERT_TRUE(stale.save(path(QStringLiteral("sotrix.jpg")), "PNG"));
    useRenderer(FakeRenderer::Output::Nothing);
    viewAt(0, 0, 100);
    EXPECT_EQ(canvas->image().pixelColor(5, 5), kWhite);
    EXPECT_EQ(prompts->texts(), QStringList{kMessage});
}

TEST_F(Reference, WithoutARendererTheLayerCannotBeShown) {
    useRenderer(FakeRenderer::Output::Green);
    form->setReferenceRenderer(nullptr);
    viewAt(0, 0, 100);
    EXPECT_EQ(prompts->texts(), QStringList{kMessage});
    EXPECT_TRUE(form->coucheRef.isEmpty());
}

TEST_F(Reference, NothingIsRenderedWithoutALayerAViewOrTheLayerBox) {
    auto r = useRenderer(FakeRenderer::Output::Green);
    form->tailleVue = 0;
    form->drawShp();
    EXPECT_EQ(r->calls, 0);

    box("chkRef")->setChecked(false);
    viewAt(0, 0, 100);
    EXPECT_EQ(r->calls, 0);
    box("chkRef")->click();
    EXPECT_EQ(r->calls, 1);

    ReferenceLayer none;
    form->setReferenceLayer(none);
    form->redraw();
    EXPECT_EQ(r->calls, 1);
    EXPECT_TRUE(prompts->prompts().empty());
}

}  // namespace
}  // namespace sotrix
