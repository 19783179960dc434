#pragma once
// Writes the rows of an import into the workspace. Rows get their keys here, in order,
// so that the reader knows them at once; points are written a batch to a statement
// (ImportLot.h), by a thread of their own once a file holds more than one batch, while
// the reader goes on. The box of each track's points (EtendueTrace) is worked out as they
// pass and written at the end, so that the map index need not read the points again.
// The caller's transaction spans the whole import: nothing here commits.

#include "Database.h"

#include <QByteArray>
#include <QString>

#include <array>

#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <optional>
#include <string_view>
#include <thread>
#include <vector>

namespace sotrix {

struct LigneTrace {
    qint64 id = 0;
    QString nom;
    std::optional<QString> description;
    bool fermer = false;
};

// A stored date, "yyyy-MM-dd HH:mm:ss", held as the UTF-8 that SQLite keeps and
// without an allocation; a text of another form (no reader gives one) is kept whole.
class DateLigne {
public:
    DateLigne() = default;
    explicit DateLigne(const QString& date);  // "" stores none
    bool vide() const { return longueur_ == 0; }
    std::string_view utf8() const;

private:
    static constexpr std::size_t kLongueur = 19;
    std::array<char, kLongueur> texte_{};
    std::size_t longueur_ = 0;
    QByteArray autre_;
};

struct LignePoint {
    qint64 id = 0;
    qint64 trace = 0;     // 0 for a waypoint
    qint64 numTrace = 0;  // from 1 along a track; stored as Null for a waypoint
    std::optional<QString> nom;
    double lon = 0, lat = 0, x = 0, y = 0;
    std::optional<double> altitude;
    DateLigne date;
    std::optional<QString> description;
};

class ImportInserts {
public:
    static constexpr int kLignesParLot = 2048;
    // Batches that may wait for the writer: the reader goes on while the writer catches
    // up with a burst.
    static constexpr std::size_t kLotsEnAttente = 8;

    // The keys given follow the largest already in each table.
    explicit ImportInserts(Database& db);
    // Stops the writer; rows not yet written are dropped, for the caller rolls back.
    ~ImportInserts();
    ImportInserts(const ImportInserts&) = delete;
    ImportInserts& operator=(const ImportInserts&) = delete;

    // The keys that the next rows will get.
    qint64 prochainPoint() const { return nextPoint_; }
    qint64 prochaineTrace() const { return nextTrace_; }

    // Set the row's key and queue it. A failure of the writer is thrown here or by
    // termine(), as the DbError it raised.
    void trace(LigneTrace row);
    void point(LignePoint row);
    // Gives the track of key row.id row's name and description.
    void corrigeTrace(LigneTrace row);

    // Writes every queued row and returns once the database holds them all; the
    // connection is then free for the caller again.
    void termine();

private:
    struct Lot {
        std::vector<LigneTrace> traces;
        std::vector<LignePoint> points;
        std::vector<LigneTrace> corrections;  // written after the rest
        void clear() {
            traces.clear();
            points.clear();
            corrections.clear();
        }
    };

    // The bounds of the points of one track that have both coordinates.
    struct Boite {
        double minX, maxX, minY, maxY;
        bool vide = true;
    };

    void envoie();        // hands the filling batch to the writer
    void ecrit(Lot& lot);  // writes one batch (on whichever thread owns the connection)
    void boucle();        // the writer thread
    // Waits until at most `lots` batches wait; rethrows the writer's failure.
    void attend(std::unique_lock<std::mutex>& lock, std::size_t lots);
    void arrete() noexcept;
    void ecritBoites();

    Statement insertTrace_;
    Statement updateTrace_;
    Statement insertLot_;
    Statement insertBoite_;
    qint64 nextPoint_;
    qint64 nextTrace_;
    const qint64 premiereTrace_;
    std::vector<Boite> boites_;  // of the tracks from premiereTrace_, in key order
    Lot remplissage_;  // filled by the reader

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Lot> aEcrire_;  // handed to the writer, in order; the first is being written
    bool fin_ = false;
    std::exception_ptr erreur_;
    std::thread writer_;
};

}  // namespace sotrix
