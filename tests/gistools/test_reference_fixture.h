#pragma once
// The main window with the real renderer installed, GIS data in a folder of their own,
// and helpers to answer the reference layer's dialog and to read the map's colours.
//
// The standard view is centred on (152000, 169500), 3000 m high: 150000..154000 x
// 168000..171000 at 10 m a pixel on the 400 x 300 map.

#include "GisData.h"
#include "ReferenceLayerCommands.h"
#include "test_fixture.h"

#include <QColor>
#include <QTemporaryDir>

#include <memory>

namespace sotrix::test {

inline const QString kRefus = QStringLiteral("Impossible d'ouvrir la couche de référence.");
inline const QString kEchecRendu =
    QStringLiteral("Une erreur est survenue lors de l'affichage de la couche de référence.");
inline const QString kQuestionWms =
    QStringLiteral("Vous tentez d'accéder à un serveur WMS alors que vous n'êtes pas connecté à internet.\n"
                   "¨Voulez-vous continuer ?");

class ReferenceTest : public MapviewTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // Queues the dialog's answer: the file under the filter position, or Cancel.
    void choose(const QString& path, int kind);
    void cancel();
    // The view above, without a layer yet.
    void standardView();
    // A layer set directly (no mapfile written).
    void setLayer(const QString& path, int kind);

    // Whether the map's colour at a map point is within tolerance of the colour on each
    // channel (the picture is a JPEG).
    ::testing::AssertionResult colourAt(double x, double y, const QColor& expected, int tolerance = 4);
    QByteArray fileBytes(const QString& path);
    void writeFile(const QString& path, const QByteArray& bytes);
    // The prompts' kinds and texts in order ("open", or the message text).
    QStringList promptTrail() const;

    std::unique_ptr<QTemporaryDir> dataDir;
    std::unique_ptr<GisData> data;
};

}  // namespace sotrix::test
