#include "WmsLayerModel.h"

#include <QFontMetrics>
#include <QLocale>

#include <algorithm>
#include <charconv>
#include <functional>
#include <queue>

namespace sotrix {
namespace {

// Lines of the best estimates measured whole: enough to cover the kerning and shaping
// that an estimate by characters leaves out.
constexpr std::size_t kCandidats = 16;

// A line's width summed from the advance of each of its characters, each measured once.
class Estimation {
public:
    explicit Estimation(const QFontMetrics& metrics) : metrics_(metrics), avances_(0x10000, -1) {
        point_ = avance(QLocale().decimalPoint());
        fixe_ = avance(QStringLiteral(" - projection : ") + QStringLiteral(" - X : ") + QStringLiteral(" ; ") +
                       QStringLiteral(" - Y : ") + QStringLiteral(" ; "));
    }

    int ligne(const WmsLayer& l, const QString& desc) {
        return fixe_ + avance(l.title) + avance(desc) + nombre(l.minx) + nombre(l.maxx) + nombre(l.miny) +
               nombre(l.maxy);
    }

private:
    int avance(QChar c) {
        int& a = avances_[c.unicode()];
        if (a < 0) a = metrics_.horizontalAdvance(c);
        return a;
    }

    int avance(QStringView text) {
        int w = 0;
        for (QChar c : text) w += avance(c);
        return w;
    }

    // The number as shown, with the locale's decimal point.
    int nombre(double v) {
        char buffer[32];
        const auto end = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::general, 15).ptr;
        int w = 0;
        for (const char* p = buffer; p != end; ++p) w += *p == '.' ? point_ : avance(QChar(QLatin1Char(*p)));
        return w;
    }

    const QFontMetrics& metrics_;
    std::vector<int> avances_;
    int point_ = 0;
    int fixe_ = 0;
};

}  // namespace

void ModeleCouches::remplit(std::shared_ptr<const WmsCapabilities> caps, std::vector<LigneCouche> lignes) {
    beginResetModel();
    caps_ = std::move(caps);
    lignes_ = std::move(lignes);
    taille_ = {};
    endResetModel();
}

void ModeleCouches::vide() { remplit(nullptr, {}); }

int ModeleCouches::plusLarge(const QFontMetrics& metrics) const {
    using Candidat = std::pair<int, int>;  // estimate, row
    std::priority_queue<Candidat, std::vector<Candidat>, std::greater<>> meilleurs;
    Estimation estimation(metrics);
    for (int row = 0; row < rowCount(); ++row) {
        meilleurs.emplace(estimation.ligne(couche(row), lignes_[std::size_t(row)].desc), row);
        if (meilleurs.size() > kCandidats) meilleurs.pop();
    }
    int best = -1, largeur = -1;
    for (; !meilleurs.empty(); meilleurs.pop()) {
        const int row = meilleurs.top().second;
        const int w = metrics.horizontalAdvance(texte(row));
        if (w > largeur || (w == largeur && row < best)) best = row, largeur = w;
    }
    return best;
}

const WmsLayer& ModeleCouches::couche(int row) const { return caps_->layers.at(std::size_t(lignes_.at(std::size_t(row)).record)); }

QString ModeleCouches::texte(int row) const { return texteLigne(couche(row), lignes_.at(std::size_t(row)).desc); }

int ModeleCouches::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : int(lignes_.size()); }

QVariant ModeleCouches::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount()) return {};
    if (role == Qt::DisplayRole) return texte(index.row());
    if (role == Qt::SizeHintRole && taille_.isValid()) return taille_;
    return {};
}

}  // namespace sotrix
