#include "ReferenceLayerCommands.h"

#include "AppDir.h"
#include "CommandGuard.h"
#include "Divers.h"
#include "EchelleCatalogue.h"
#include "FichierTravail.h"
#include "FileDialogs.h"
#include "MainView.h"
#include "Mapfile.h"
#include "OgcConfig.h"
#include "ReferenceFiles.h"
#include "State.h"

#include <QAbstractButton>
#include <QFile>
#include <QFileInfo>
#include <QWidget>

namespace sotrix {
namespace {

const QString kRefus = QStringLiteral("Impossible d'ouvrir la couche de référence.");

// Filter labels as the dialog shows them, one per layer kind, in kind order.
QStringList filtres() {
    return {QStringLiteral("Shapefile (*shp)"),       QStringLiteral("Tiff/Geotiff (*.tif)"),
            QStringLiteral("Jpeg (*.jpg)"),           QStringLiteral("Erdas imagine (*.img)"),
            QStringLiteral("ESRI BIL (*.bil)"),       QStringLiteral("Raster catalog (*.shp)"),
            QStringLiteral("Serveur WMS (*.ogc)")};
}

QString mapfilePath() { return appPath(QString::fromLatin1(kFichierMapfile)); }

// What the chosen file gives the mapfile; nullopt refuses it.
struct LayerSource {
    LayerExtent extent;
    qint32 shapeType = 0;
    OgcConfig ogc;
    bool huitBits = true;
    std::optional<PlageValeurs> echelle;
};

std::optional<LayerSource> lireWms(const QString& path) {
    if (!connecteInternet() &&
        prompter().ask(QStringLiteral("Vous tentez d'accéder à un serveur WMS alors que vous n'êtes pas connecté "
                                      "à internet.\n¨Voulez-vous continuer ?")) != Answer::Yes)
        return std::nullopt;
    QFile f(path);
    // An unreadable file reads as an empty document, which has no extent.
    LayerSource source;
    source.ogc = lireConfigurationOgc(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
    if (!source.ogc.extents) return std::nullopt;
    source.extent = *source.ogc.extents;
    return source;
}

std::optional<LayerSource> lireCouche(LayerKind kind, const QString& path, int gdalinfoTimeoutMs) {
    switch (kind) {
    case LayerKind::Shapefile:
    case LayerKind::RasterCatalog: {
        const auto header = lireEnteteShapefile(path);
        // A shape type without a style cannot be drawn: refused before the mapfile.
        if (!header || (kind == LayerKind::Shapefile && !styleVecteur(header->shapeType))) return std::nullopt;
        LayerSource source{header->extent, header->shapeType, {}, true, std::nullopt};
        if (kind == LayerKind::RasterCatalog) source.echelle = echelleCatalogue(path, gdalinfoTimeoutMs);
        return source;
    }
    case LayerKind::GeoTiff:
    case LayerKind::Jpeg:
    case LayerKind::ErdasImagine:
    case LayerKind::EsriBil: {
        const auto raster = rapportRaster(path, gdalinfoTimeoutMs);
        if (!raster) return std::nullopt;
        return LayerSource{raster->extent, 0, {}, raster->huitBits, std::nullopt};
    }
    case LayerKind::Wms: return lireWms(path);
    }
    return std::nullopt;
}

// The whole text as a new file, or nothing of that name: what stood there is not followed.
bool ecritMapfile(const QByteArray& text) { return ecritFichierTravail(mapfilePath(), text); }

// Reads the chosen file into layer and writes its mapfile; false refuses the layer.
bool accepteCouche(MainView& view, const QString& path, ReferenceLayer& layer, int gdalinfoTimeoutMs) {
    const auto source = lireCouche(LayerKind(layer.typeCoucheRef), path, gdalinfoTimeoutMs);
    if (!source) return false;
    layer.refMinX = source->extent.minX;
    layer.refMinY = source->extent.minY;
    layer.refMaxX = source->extent.maxX;
    layer.refMaxY = source->extent.maxY;

    const QSize pixels = view.canvasPixels();
    MapfileRequest request;
    request.kind = layer.typeCoucheRef;
    request.path = path;
    request.colour = state().paramCouleurShp;
    request.widthTwips = pixels.width() * 15;
    request.heightTwips = pixels.height() * 15;
    request.shapeType = source->shapeType;
    request.huitBits = source->huitBits;
    request.echelle = source->echelle;
    request.wms = &source->ogc.wms;
    request.programFolder = appDir();
    const auto text = texteMapfile(request);
    return text && ecritMapfile(*text);
}

}  // namespace

void cmdAddShp_Click(MainView& view, int gdalinfoTimeoutMs) {
    State& s = state();
    view.resetMapTool();
    if (!view.referenceLayer().coucheRef.isEmpty() &&
        prompter().ask(QStringLiteral("Voulez-vous remplacer la couche de référence actuellement affichée ?")) !=
            Answer::Yes)
        return;
    for (;;) {
        FileRequest request;
        request.title = QStringLiteral("Sélectionner une couche de référence");
        request.filters = filtres();
        request.folder = s.dernierDossier;
        const auto choice = dialogueOuvrir(request, QString::fromUtf16(kDialogueAccueil));
        if (!choice) return;

        ReferenceLayer layer = view.referenceLayer();
        const QString path = choice->files.value(0);
        layer.coucheRef.clear();
        layer.typeCoucheRef = choice->filterIndex;
        // The old layer is given up once a file is chosen: a redraw while the new one is
        // read (the timers run while gdalinfo does) draws none.
        view.setReferenceLayer(layer);
        if (path.isEmpty()) return;
        s.dernierDossier = QFileInfo(path).absolutePath();
        QFile::remove(mapfilePath());

        if (!fichierExiste(path)) {
            prompter().message(QStringLiteral("Le fichier '") + path + QStringLiteral("' n'existe pas."),
                               Icon::Exclamation);
            continue;
        }
        if (!accepteCouche(view, path, layer, gdalinfoTimeoutMs)) {
            view.setReferenceLayer(layer);
            QFile::remove(mapfilePath());
            prompter().message(kRefus, Icon::Exclamation);
            continue;
        }
        layer.coucheRef = path;
        view.setReferenceLayer(layer);
        view.redraw();
        return;
    }
}

void cmdSupShp_Click(MainView& view) {
    if (view.referenceLayer().coucheRef.isEmpty()) return;
    if (prompter().ask(QStringLiteral("Voulez-vous vraiment supprimer la couche de référence ?")) != Answer::Yes)
        return;
    ReferenceLayer layer = view.referenceLayer();
    layer.coucheRef.clear();
    layer.typeCoucheRef = 0;
    view.setReferenceLayer(layer);
    if (state().paramSupInt)
        for (const char* name : {kFichierMapfile, kFichierConfMapserver, kFichierImageRef})
            QFile::remove(appPath(QString::fromLatin1(name)));
    view.redraw();
}

int connecteCoucheReference(QWidget* mainWindow, MainView& view) {
    if (!mainWindow) return 0;
    using Handler = void (*)(MainView&);
    const std::pair<const char*, Handler> commands[] = {
        {"cmdAddShp", [](MainView& v) { cmdAddShp_Click(v); }},
        {"cmdSupShp", &cmdSupShp_Click},
    };
    int connected = 0;
    for (const auto& [name, handler] : commands) {
        auto* button = mainWindow->findChild<QAbstractButton*>(QString::fromLatin1(name));
        if (!button) continue;
        QObject::connect(button, &QAbstractButton::clicked, mainWindow, [&view, handler = handler] {
            view.guarded([&] { handler(view); });
        });
        ++connected;
    }
    return connected;
}

}  // namespace sotrix
