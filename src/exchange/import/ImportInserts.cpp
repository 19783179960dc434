#include "ImportInserts.h"

#include "ImportLot.h"

#include <algorithm>
#include <cmath>

namespace sotrix {

namespace {

Database& withLotImport(Database& db) {
    declareLotImport(db);
    return db;
}

qint64 premiereCle(Database& db, const QString& sql) { return db.scalar(sql).toLongLong() + 1; }

void bindOptionnel(Statement& st, int index, const std::optional<QString>& text) {
    if (text)
        st.bindText(index, *text);
    else
        st.bindNull(index);
}

}  // namespace

DateLigne::DateLigne(const QString& date) {
    const bool court = date.size() == qsizetype(kLongueur) &&
                       std::all_of(date.begin(), date.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (court) {
        for (std::size_t i = 0; i < kLongueur; ++i) texte_[i] = char(date[qsizetype(i)].unicode());
        longueur_ = kLongueur;
    } else {
        autre_ = date.toUtf8();
        longueur_ = std::size_t(autre_.size());
    }
}

std::string_view DateLigne::utf8() const {
    return autre_.isEmpty() ? std::string_view(texte_.data(), longueur_)
                            : std::string_view(autre_.constData(), std::size_t(autre_.size()));
}

ImportInserts::ImportInserts(Database& db)
    : insertTrace_(db, QStringLiteral("INSERT INTO Trace (Id_trace, Nom, Description, Fermer) VALUES (?1, ?2, ?3, ?4)")),
      updateTrace_(db, QStringLiteral("UPDATE Trace SET Nom = ?2, Description = ?3 WHERE Id_trace = ?1")),
      insertLot_(withLotImport(db),
                 QStringLiteral("INSERT INTO Points (Id_point, Nom, Lon, Lat, X, Y, Altitude, Date, Description, Trace, "
                                "Num_trace) SELECT id, nom, lon, lat, x, y, altitude, date, description, trace, "
                                "num_trace FROM lot_import(?1)")),
      insertBoite_(db, QStringLiteral("INSERT INTO EtendueTrace (Id_trace, minX, maxX, minY, maxY) "
                                      "VALUES (?1, ?2, ?3, ?4, ?5)")),
      nextPoint_(premiereCle(db, QStringLiteral("SELECT MAX(Id_point) FROM Points"))),
      nextTrace_(premiereCle(db, QStringLiteral("SELECT MAX(Id_trace) FROM Trace"))),
      premiereTrace_(nextTrace_) {
    remplissage_.points.reserve(kLignesParLot);
}

ImportInserts::~ImportInserts() {
    {
        // The caller rolls back: of the batches handed over, only the one being written
        // is finished (pop_back leaves it in place).
        std::lock_guard lock(mutex_);
        while (aEcrire_.size() > 1) aEcrire_.pop_back();
    }
    arrete();
}

void ImportInserts::trace(LigneTrace row) {
    row.id = nextTrace_++;
    boites_.emplace_back();
    remplissage_.traces.push_back(std::move(row));
}

void ImportInserts::corrigeTrace(LigneTrace row) {
    for (LigneTrace& queued : remplissage_.traces) {
        if (queued.id == row.id) {
            queued.nom = std::move(row.nom);
            queued.description = std::move(row.description);
            return;
        }
    }
    remplissage_.corrections.push_back(std::move(row));
}

void ImportInserts::point(LignePoint row) {
    row.id = nextPoint_++;
    // A coordinate that is not a number is stored as Null, outside any box.
    if (row.trace != 0 && !std::isnan(row.x) && !std::isnan(row.y)) {
        Boite& b = boites_[std::size_t(row.trace - premiereTrace_)];
        if (b.vide) {
            b = {row.x, row.x, row.y, row.y, false};
        } else {
            b.minX = std::min(b.minX, row.x);
            b.maxX = std::max(b.maxX, row.x);
            b.minY = std::min(b.minY, row.y);
            b.maxY = std::max(b.maxY, row.y);
        }
    }
    remplissage_.points.push_back(std::move(row));
    if (remplissage_.points.size() == std::size_t(kLignesParLot)) envoie();
}

void ImportInserts::attend(std::unique_lock<std::mutex>& lock, std::size_t lots) {
    cv_.wait(lock, [this, lots] { return erreur_ || aEcrire_.size() <= lots; });
    if (erreur_) std::rethrow_exception(erreur_);
}

void ImportInserts::envoie() {
    Lot plein = std::exchange(remplissage_, Lot{});
    remplissage_.points.reserve(kLignesParLot);
    {
        std::unique_lock lock(mutex_);
        attend(lock, kLotsEnAttente - 1);
        aEcrire_.push_back(std::move(plein));
        if (!writer_.joinable()) writer_ = std::thread(&ImportInserts::boucle, this);
    }
    cv_.notify_all();
}

void ImportInserts::boucle() {
    std::unique_lock lock(mutex_);
    for (;;) {
        cv_.wait(lock, [this] { return !aEcrire_.empty() || fin_; });
        if (aEcrire_.empty()) return;
        Lot& lot = aEcrire_.front();  // stays in place: only this thread removes batches
        lock.unlock();
        std::exception_ptr erreur;
        try {
            ecrit(lot);
        } catch (...) {
            erreur = std::current_exception();
        }
        lock.lock();
        if (erreur) {
            // What follows a failed batch is not written: the caller rolls back.
            erreur_ = erreur;
            aEcrire_.clear();
        } else {
            aEcrire_.pop_front();
        }
        cv_.notify_all();
    }
}

void ImportInserts::arrete() noexcept {
    if (!writer_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        fin_ = true;
    }
    cv_.notify_all();
    writer_.join();
    fin_ = false;
}

void ImportInserts::termine() {
    if (writer_.joinable()) {
        {
            std::unique_lock lock(mutex_);
            attend(lock, 0);
        }
        arrete();
    }
    ecrit(remplissage_);
    remplissage_.clear();
    ecritBoites();
}

// Tracks without a point that has both coordinates get theirs from the map index.
void ImportInserts::ecritBoites() {
    for (std::size_t i = 0; i < boites_.size(); ++i) {
        const Boite& b = boites_[i];
        if (b.vide) continue;
        insertBoite_.bindInt(1, premiereTrace_ + qint64(i));
        insertBoite_.bindDouble(2, b.minX);
        insertBoite_.bindDouble(3, b.maxX);
        insertBoite_.bindDouble(4, b.minY);
        insertBoite_.bindDouble(5, b.maxY);
        insertBoite_.execute();
    }
    boites_.clear();
}

void ImportInserts::ecrit(Lot& lot) {
    for (const LigneTrace& t : lot.traces) {
        insertTrace_.bindInt(1, t.id);
        insertTrace_.bindText(2, t.nom);
        bindOptionnel(insertTrace_, 3, t.description);
        insertTrace_.bindInt(4, t.fermer ? 1 : 0);
        insertTrace_.execute();
    }
    if (!lot.points.empty()) {
        insertLot_.bindPointer(1, &lot.points, kTypeLotImport);
        insertLot_.execute();
    }
    for (const LigneTrace& t : lot.corrections) {
        updateTrace_.bindInt(1, t.id);
        updateTrace_.bindText(2, t.nom);
        bindOptionnel(updateTrace_, 3, t.description);
        updateTrace_.execute();
    }
}

}  // namespace sotrix
