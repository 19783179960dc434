#include "GpxImport.h"

#include "Divers.h"
#include "GpxReader.h"
#include "ImportEngine.h"
#include "ImportStore.h"
#include "State.h"

namespace sotrix {

namespace {

// Names are cleaned and descriptions put on one line before they are stored.
class StoreSink final : public GpxSink {
public:
    StoreSink(PointStore& store, bool fromGps) : store_(store), fromGps_(fromGps) {}

    Flow waypoint(const GpxWaypoint& w) override {
        ChampsWaypoint champs;
        champs.altitude = w.point.altitude;
        champs.date = w.point.date;
        if (w.name) champs.nom = nettoieNom(*w.name, fromGps_);
        if (w.description) champs.description = uneLigne(*w.description);
        return store_.waypoint(SourceSysteme::Gps, w.point.lon, w.point.lat, champs);
    }

    Flow trackStart(const GpxTrack& t) override { return store_.debutTrace(champsTrace(t)); }

    Flow trackHeader(const GpxTrack& t) override {
        store_.corrigeTrace(champsTrace(t));
        return Flow::Continue;
    }

    Flow trackPoint(const GpxPoint& p) override {
        return store_.pointTrace(SourceSysteme::Gps, p.lon, p.lat, ChampsPoint{p.altitude, p.date});
    }

private:
    ChampsTrace champsTrace(const GpxTrack& t) const {
        ChampsTrace champs;
        if (t.name) champs.nom = nettoieNom(*t.name, fromGps_);
        if (t.description) champs.description = uneLigne(*t.description);
        return champs;
    }

    PointStore& store_;
    bool fromGps_;
};

}  // namespace

bool GpxImport::ouvre(const QString& path) {
    path_ = path;
    return estRacineGpx(XmlSource::file(path));
}

Flow GpxImport::lit(PointStore& store, bool fromGps) {
    StoreSink sink(store, fromGps);
    return parcourtGpx(XmlSource::file(path_), state().paramDecalage, sink);
}

}  // namespace sotrix
