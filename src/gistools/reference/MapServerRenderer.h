#pragma once
// The reference layer's renderer: MapServer's map2img (shp2img on older installations)
// draws "sotrix.map" for the visible extent into a picture of the canvas's size, so that
// the picture maps pixel for pixel onto the map.
//
// A run fails when the program is missing, does not start, times out, crashes, exits
// non-zero or writes a MapServer error line ("routine(): error text message") on standard
// error, not when it only warns; the picture is then deleted, so that the main window
// finds none and drops the layer. The configuration file and the picture are the
// program's own working files: made anew, never written through what stands at their
// names.

#include "ReferenceRenderer.h"

#include <QByteArray>
#include <QSize>
#include <QString>
#include <QStringList>

namespace sotrix {

// MapServer's WMS client waits up to 30 s for a server; a render gets four times that.
inline constexpr int kDelaiRenduMs = 120000;

// The arguments of a render of the folder's mapfile into imagePath; the configuration
// file is passed to map2img only.
QStringList argumentsRendu(const QString& folder, const QString& imagePath, double xmin, double ymin, double xmax,
                           double ymax, QSize pixels, bool withConfig);

// Whether standard error holds a line in MapServer's error form: a routine's name, ": "
// and one of MapServer's error texts.
bool erreurMapServer(const QByteArray& standardError);

class MapServerRenderer final : public ReferenceRenderer {
public:
    explicit MapServerRenderer(int timeoutMs = kDelaiRenduMs) : timeoutMs_(timeoutMs) {}
    void render(double xmin, double ymin, double xmax, double ymax, QSize canvasPixels,
                const QString& imagePath) override;

private:
    int timeoutMs_;
};

}  // namespace sotrix
