#pragma once
// The projection service: every conversion of a point between two coordinate systems of
// the Proj table goes through here.
//
// Typical use, for one user operation:
//
//     ProjSystems systems(state().paramProjGps, state().paramProjCarto);
//     if (systems.status() == ProjSystems::Status::NotFound) {
//         prompter().message(QString::fromUtf8(kMsgProjIntrouvable), Icon::Exclamation);
//         return;
//     }
//     if (!systems.ok()) return;               // the set-up failure was already shown
//     double x = lon, y = lat;
//     if (!systems.transforme(x, y))            // also stored in state().resultatOk
//         ... quote state().derniereErreurProj in the caller's own message ...
//
// Both handles are freed when `systems` goes out of scope, exceptions included, so an
// edit of the Proj table takes effect at the next operation.

#include <QString>

#include <optional>
#include <vector>

namespace sotrix {

class Database;

// The unit factors, with these exact digits.
inline constexpr double kDegresVersRadians = 0.0174532925199433;
inline constexpr double kRadiansVersDegres = 57.2957795130823;

// "Impossible de récupérer les paramètres du système de projection." (UTF-8)
extern const char* const kMsgProjIntrouvable;

// Converts (x, y) from the system `source` to the system `destination` (handles of
// pjInitPlus). Geographic systems take and give decimal degrees, x the longitude and y
// the latitude; projected systems the units of their definition. On failure returns false
// and sets state().derniereErreurProj to "erreur de projection [<projErreur(n)>]" with the
// layer's error number (-44 when it gave none); x and y are then left as the layer left
// them (radians for a geographic source). A success never touches derniereErreurProj.
bool projTransformePoint(int source, int destination, double& x, double& y);

// projTransformePoint over many pairs at once, in place, sharing a large lot among
// threads: gives for each pair 0 when converted, else its error number (texteErreurProj).
// state() is left alone.
std::vector<int> projTransformeLot(int source, int destination, std::vector<double>& x, std::vector<double>& y);

// What projTransformePoint stores in state().derniereErreurProj for error number n.
QString texteErreurProj(int n);

// The text of a PROJ.4 error number: "no error" for 0, PROJ.4's message for -1 to -44,
// otherwise "System Error #" and the number.
QString projErreur(int n);

// The set-up failure report for error number n (-44 when n is 0):
// "Une erreur est survenue lors de la définition des systèmes de projection : erreur de
// projection [<projErreur(n)>]."
QString messageErreurDefinition(int n);
// Shows that report through prompter(): a plain box, no icon.
void signaleErreurDefinition(int n);

// The PROJ.4 string of an EPSG code from the Proj table; nullopt when no row with a
// non-empty string exists.
std::optional<QString> definitionProj(Database& db, qint32 epsg);

// One system set up with pjInitPlus, freed with pjFree by the destructor or reset().
class ProjHandle {
public:
    ProjHandle() = default;
    // Sets the system up; get() is 0 on failure, with pjErrNum() set.
    explicit ProjHandle(const QString& definition);
    ~ProjHandle() { reset(); }
    ProjHandle(ProjHandle&& other) noexcept : handle_(other.handle_) { other.handle_ = 0; }
    ProjHandle& operator=(ProjHandle&& other) noexcept;
    ProjHandle(const ProjHandle&) = delete;
    ProjHandle& operator=(const ProjHandle&) = delete;

    int get() const { return handle_; }
    explicit operator bool() const { return handle_ != 0; }
    void reset() noexcept;

private:
    int handle_ = 0;
};

// The two systems of one operation, looked up by EPSG code and set up in order (the
// source, then the destination). A set-up failure is reported to the user at once
// (signaleErreurDefinition) and the other system is not set up. A missing Proj row is
// not reported here: the caller shows kMsgProjIntrouvable with the exclamation icon.
// Database failures (DbError) go to the caller.
class ProjSystems {
public:
    enum class Status { Ok, NotFound, SetupFailed };

    // Looks the strings up through the given connection.
    ProjSystems(Database& db, qint32 source, qint32 destination);
    // Looks the strings up through a DbGuard held only for the look-up.
    ProjSystems(qint32 source, qint32 destination);
    ProjSystems(const ProjSystems&) = delete;
    ProjSystems& operator=(const ProjSystems&) = delete;

    Status status() const { return status_; }
    bool ok() const { return status_ == Status::Ok; }
    int source() const { return source_.get(); }
    int destination() const { return destination_.get(); }

    // projTransformePoint from source to destination; the result is also stored in
    // state().resultatOk. Only when ok().
    bool transforme(double& x, double& y);

private:
    void setUp(const std::optional<QString>& source, const std::optional<QString>& destination);

    ProjHandle source_;
    ProjHandle destination_;
    Status status_ = Status::NotFound;
};

}  // namespace sotrix
