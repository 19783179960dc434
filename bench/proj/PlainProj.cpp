#include "PlainProj.h"

#include <cmath>

namespace sotrix::bench {

PlainProj::PlainProj(const QString& from, const QString& to) : ctx_(proj_context_create()) {
    if (!ctx_) return;
    proj_context_set_enable_network(ctx_.get(), 0);
    const QByteArray source = (from + QStringLiteral(" +type=crs")).toUtf8();
    const QByteArray target = (to + QStringLiteral(" +type=crs")).toUtf8();
    const std::unique_ptr<PJ, PjDeleter> raw(
        proj_create_crs_to_crs(ctx_.get(), source.constData(), target.constData(), nullptr));
    if (raw) op_.reset(proj_normalize_for_visualization(ctx_.get(), raw.get()));
}

bool PlainProj::transform(double& x, double& y) const {
    const PJ_COORD out = proj_trans(op_.get(), PJ_FWD, proj_coord(x, y, 1, 0));
    if (!std::isfinite(out.xy.x) || !std::isfinite(out.xy.y)) return false;
    x = out.xy.x;
    y = out.xy.y;
    return true;
}

}  // namespace sotrix::bench
