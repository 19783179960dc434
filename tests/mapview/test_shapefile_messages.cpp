// The start-up hands the shapefile library's "NOT IMPLEMENTED" to the program's Prompter.
#include "Shapefile.h"
#include "State.h"
#include "Workspace.h"
#include "frmAccueil.h"

namespace sotrix {
namespace {

class ShapefileMessages : public test::WorkspaceTest {};

TEST_F(ShapefileMessages, DistanceOfShapesButPointsShowsTheLibrarysMessageAfterStartUp) {
    shapefile::setNotImplementedHook(nullptr);
    frmAccueil w;
    ASSERT_TRUE(w.Form_Load());
    ASSERT_TRUE(prompts->prompts().empty());
    const shapefile::CPoint point(1, 2);
    const std::unique_ptr<const shapefile::IShape> shapes[] = {
        std::make_unique<shapefile::CRect>(), std::make_unique<shapefile::CPolyLine>(),
        std::make_unique<shapefile::CPolygon>(), std::make_unique<shapefile::CMultiPoint>()};
    for (const auto& shape : shapes) {
        SCOPED_TRACE(std::string(shapefile::className(shape->shapeClass())));
        prompts->clear();
        EXPECT_EQ(shape->distance(&point), 0.0);
        ASSERT_EQ(prompts->prompts().size(), 1u);
        EXPECT_EQ(prompts->prompts()[0].text, QStringLiteral("NOT IMPLEMENTED"));
        EXPECT_EQ(prompts->prompts()[0].icon, Icon::None);
        EXPECT_EQ(prompts->prompts()[0].buttons, Buttons::Ok);
    }
    // A point measures and shows nothing.
    prompts->clear();
    EXPECT_EQ(point.distance(&point), 0.0);
    EXPECT_TRUE(prompts->prompts().empty());
}

}  // namespace
}  // namespace sotrix
