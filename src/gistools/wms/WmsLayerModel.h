#pragma once
// The lines of the WMS tool's layer list, made when the view asks for them: a document of
// hundreds of thousands of layers costs what the visible rows cost. Every row reports the
// size of the widest line, so that the view lays out without measuring each row and the
// widest line can still be scrolled into view.

#include "WmsCapabilities.h"
#include "WmsListing.h"

#include <QAbstractListModel>
#include <QSize>

#include <memory>
#include <vector>

class QFontMetrics;

namespace sotrix {

class ModeleCouches final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    // Replaces the lines, each the line of its record in caps.
    void remplit(std::shared_ptr<const WmsCapabilities> caps, std::vector<LigneCouche> lignes);
    void vide();
    // The size every row reports; until it is set the view measures the rows itself.
    void setTaille(QSize taille) { taille_ = taille; }
    // The row whose line is widest in metrics, -1 when there is none: the widest of an
    // estimate from each character's advance, measured whole among the leading few.
    int plusLarge(const QFontMetrics& metrics) const;

    const WmsLayer& couche(int row) const;
    QString texte(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

private:
    std::shared_ptr<const WmsCapabilities> caps_;
    std::vector<LigneCouche> lignes_;
    QSize taille_;
};

}  // namespace sotrix
