#include "DbaseTable.h"

#include "DbaseHeader.h"
#include "FichierVoisin.h"

#include <QFile>
#include <QFileInfo>

#include <shapefil.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <utility>

namespace sotrix {

DbaseError::DbaseError(const QString& message, int errorNumber)
    : std::runtime_error(message.toStdString()), message_(message), errorNumber_(errorNumber) {}

// ------------------------------------------------------------------ file hooks

namespace {

// What shapelib sees as a file: a descriptor with a write-back window, so that its
// seek-then-write per record costs no system call, a read-ahead window when it is opened
// for reading only, so that its seek-then-read per record costs none either, and the
// first failure kept.
struct HookFile {
    static constexpr std::size_t kWindow = 1 << 20;
    static constexpr std::size_t kReadWindow = 1 << 16;

    int fd = -1;
    std::vector<char> buf;
    std::uint64_t bufStart = 0;  // file offset of buf[0]
    std::size_t bufLen = 0;      // bytes of buf not yet on disk
    std::uint64_t pos = 0;       // bufStart <= pos <= bufStart + bufLen
    std::int64_t budget = -1;    // bytes that writes may still take; -1: no limit
    std::vector<char> ahead;     // read-only files: the bytes from aheadStart on
    std::uint64_t aheadStart = 0;
    std::size_t aheadLen = 0;
    int error = 0;
    int* sink = nullptr;         // the table's record of failures

    void fail(int e) {
        if (e == 0) e = EIO;
        if (error == 0) error = e;
        if (sink && *sink == 0) *sink = e;
    }

    bool writeOut(const char* p, std::size_t n, std::uint64_t at) {
        while (n > 0) {
            const ssize_t w = ::pwrite(fd, p, n, off_t(at));
            if (w < 0) {
                if (errno == EINTR) continue;
                fail(errno);
                return false;
            }
            p += w;
            n -= std::size_t(w);
            at += std::uint64_t(w);
        }
        return true;
    }

    // Reads at pos, in full unless the file ends first or fails; returns the bytes read.
    std::size_t readAt(char* p, std::size_t want) {
        std::size_t got = 0;
        while (got < want) {
            const ssize_t r = ::pread(fd, p + got, want - got, off_t(pos + got));
            if (r < 0) {
                if (errno == EINTR) continue;
                fail(errno);
                break;
            }
            if (r == 0) break;
            got += std::size_t(r);
        }
        return got;
    }

    // The same through the read-ahead window.
    std::size_t readAhead(char* p, std::size_t want) {
        std::size_t got = 0;
        while (got < want) {
            if (pos >= aheadStart && pos < aheadStart + aheadLen) {
                const std::size_t n = std::min(want - got, std::size_t(aheadStart + aheadLen - pos));
                std::memcpy(p + got, ahead.data() + (pos - aheadStart), n);
                got += n;
                pos += n;
                continue;
            }
            if (want - got >= ahead.size()) {
                const std::size_t n = readAt(p + got, want - got);
                pos += n;
                return got + n;
            }
            aheadStart = pos;
            aheadLen = readAt(ahead.data(), ahead.size());
            if (aheadLen == 0) break;
        }
        return got;
    }

    bool flush() {
        const bool ok = bufLen == 0 || writeOut(buf.data(), bufLen, bufStart);
        bufLen = 0;
        bufStart = pos;
        return ok;
    }
};

HookFile* fileOf(SAFile f) { return reinterpret_cast<HookFile*>(f); }

SAFile hookOpen(const char* name, const char* access) {
    const std::string a(access);
    int flags = O_RDONLY;
    if (a.find('w') != std::string::npos)
        flags = (a.find('+') != std::string::npos ? O_RDWR : O_WRONLY) | O_CREAT | O_TRUNC;
    else if (a.find('+') != std::string::npos)
        flags = O_RDWR;
    int fd = ::open(name, flags | O_CLOEXEC, 0666);
    // shapelib asks for ".dbf" then ".DBF"; a table read may be named in any case.
    if (fd < 0 && errno == ENOENT && flags == O_RDONLY) {
        const QString wanted = QFile::decodeName(name);
        if (const auto found = fichierVoisin(wanted, QFileInfo(wanted).suffix()))
            fd = ::open(QFile::encodeName(*found).constData(), flags | O_CLOEXEC);
    }
    if (fd < 0) return nullptr;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        errno = EISDIR;
        return nullptr;
    }
    auto file = std::make_unique<HookFile>();
    file->fd = fd;
    if (flags == O_RDONLY)
        file->ahead.resize(HookFile::kReadWindow);
    else
        file->buf.resize(HookFile::kWindow);
    // Owned by shapelib's handle from here; hookClose deletes it.
    return reinterpret_cast<SAFile>(file.release());
}

SAOffset hookRead(void* p, SAOffset size, SAOffset nmemb, SAFile f) {
    HookFile* file = fileOf(f);
    if (!file->flush()) return 0;
    const std::size_t want = std::size_t(size * nmemb);
    std::size_t got = 0;
    if (!file->ahead.empty()) {
        got = file->readAhead(static_cast<char*>(p), want);
    } else {
        got = file->readAt(static_cast<char*>(p), want);
        file->pos += got;
    }
    file->bufStart = file->pos;
    return size == 0 ? 0 : SAOffset(got / size);
}

SAOffset hookWrite(void* p, SAOffset size, SAOffset nmemb, SAFile f) {
    HookFile* file = fileOf(f);
    const std::size_t n = std::size_t(size * nmemb);
    if (file->budget >= 0) {
        if (std::int64_t(n) > file->budget) {
            file->budget = 0;
            file->fail(ENOSPC);
            return 0;
        }
        file->budget -= std::int64_t(n);
    }
    if (file->buf.empty()) {
        file->fail(EBADF);
        return 0;
    }
    const char* src = static_cast<const char*>(p);
    if (file->pos - file->bufStart + n > file->buf.size()) {
        if (!file->flush()) return 0;
        if (n > file->buf.size()) {
            if (!file->writeOut(src, n, file->pos)) return 0;
            file->pos += n;
            file->bufStart = file->pos;
            return nmemb;
        }
    }
    const std::size_t at = std::size_t(file->pos - file->bufStart);
    std::memcpy(file->buf.data() + at, src, n);
    file->bufLen = std::max(file->bufLen, at + n);
    file->pos += n;
    return nmemb;
}

SAOffset hookSeek(SAFile f, SAOffset offset, int whence) {
    HookFile* file = fileOf(f);
    std::uint64_t target = offset;
    if (whence == SEEK_CUR) {
        target = file->pos + offset;
    } else if (whence == SEEK_END) {
        if (!file->flush()) return SAOffset(-1);
        struct stat st {};
        if (::fstat(file->fd, &st) != 0) {
            file->fail(errno);
            return SAOffset(-1);
        }
        target = std::uint64_t(st.st_size) + offset;
    }
    if (target >= file->bufStart && target <= file->bufStart + file->bufLen) {
        file->pos = target;
        return 0;
    }
    if (!file->flush()) return SAOffset(-1);
    file->pos = target;
    file->bufStart = target;
    return 0;
}

SAOffset hookTell(SAFile f) { return SAOffset(fileOf(f)->pos); }

int hookFlush(SAFile f) { return fileOf(f)->flush() ? 0 : EOF; }

int hookClose(SAFile f) {
    std::unique_ptr<HookFile> file(fileOf(f));
    bool ok = file->flush();
    if (::close(file->fd) != 0) {
        file->fail(errno);
        ok = false;
    }
    return ok ? 0 : EOF;
}

int hookRemove(const char* name) { return ::unlink(name); }

// shapelib reports through Error only what also shows in a return value or in a failed
// hook call above, both of which the table records; its text would only reach stderr.
void hookError(const char*) {}

double hookAtof(const char* text) {
    while (*text == ' ') ++text;
    double v = 0;
    std::from_chars(text, text + std::strlen(text), v);
    return v;
}

SAHooks hooks() {
    SAHooks h{};
    h.FOpen = hookOpen;
    h.FRead = hookRead;
    h.FWrite = hookWrite;
    h.FSeek = hookSeek;
    h.FTell = hookTell;
    h.FFlush = hookFlush;
    h.FClose = hookClose;
    h.Remove = hookRemove;
    h.Error = hookError;
    h.Atof = hookAtof;
    return h;
}

QString errorText(int e) { return QString::fromLocal8Bit(std::strerror(e)); }

// The ".cpg" beside a table written: readers that take the language driver 87 for
// ISO-8859-1 (GDAL) read the code page from it. shapelib names the table as its base
// name plus ".dbf", and so is the ".cpg" named.
void writeCodePage(const QString& dbfPath) {
    const QByteArray dbf = QFile::encodeName(dbfPath);
    const auto slash = dbf.lastIndexOf('/');
    const auto dot = dbf.lastIndexOf('.');
    const QByteArray cpg = (dot > slash && dot > 0 ? dbf.left(dot) : dbf) + ".cpg";
    const int fd = ::open(cpg.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    int e = fd < 0 ? errno : 0;
    if (fd >= 0) {
        static constexpr char kText[] = "1252";
        const ssize_t w = ::write(fd, kText, sizeof kText - 1);
        if (w != ssize_t(sizeof kText - 1)) e = w < 0 ? errno : ENOSPC;
        if (::close(fd) != 0 && e == 0 && errno != EINTR) e = errno;
    }
    if (e != 0)
        throw DbaseError(QStringLiteral("impossible de créer %1 : %2").arg(QFile::decodeName(cpg), errorText(e)), e);
}

}  // namespace

// ------------------------------------------------------------------ the table

struct DbaseTable::Handle {
    DBFHandle dbf = nullptr;
    int error = 0;
    QString path;
    QString codePage;
    ~Handle() {
        if (dbf) DBFClose(dbf);
    }
    // Points the open file's failure record at ours, keeping what it met so far.
    void attach() {
        HookFile* file = fileOf(dbf->fp);
        file->sink = &error;
        if (error == 0) error = file->error;
    }
};

DbaseTable::DbaseTable() : h_(std::make_unique<Handle>()), work_(XBASE_FLD_MAX_WIDTH + 1) {}
DbaseTable::DbaseTable(DbaseTable&&) noexcept = default;
DbaseTable& DbaseTable::operator=(DbaseTable&&) noexcept = default;
DbaseTable::~DbaseTable() = default;

DbaseTable DbaseTable::create(const QString& path, const std::vector<DbaseField>& fields, QDate lastModified) {
    DbaseTable t;
    t.h_->path = path;
    SAHooks h = hooks();
    errno = 0;
    t.h_->dbf = DBFCreateLL(QFile::encodeName(path).constData(), "LDID/87", &h);
    if (!t.h_->dbf) {
        const int e = errno != 0 ? errno : EIO;
        throw DbaseError(QStringLiteral("impossible de créer %1 : %2").arg(path, errorText(e)), e);
    }
    t.h_->attach();
    writeCodePage(t.h_->path);
    if (lastModified.isValid())
        DBFSetLastModifiedDate(t.h_->dbf, std::clamp(lastModified.year() - 1900, 0, 255), lastModified.month(),
                               lastModified.day());
    for (const DbaseField& f : fields) {
        const QByteArray name = encodeWindows1252(f.name).left(XBASE_FLDNAME_LEN_WRITE);
        if (DBFAddNativeFieldType(t.h_->dbf, name.constData(), f.type, f.width, f.decimals) < 0)
            throw DbaseError(QStringLiteral("champ refusé : %1").arg(f.name));
        DbaseField kept = f;
        kept.name = QString::fromLatin1(name);
        t.fields_.push_back(kept);
    }
    t.check("création");
    return t;
}

DbaseTable DbaseTable::open(const QString& path) {
    verifieEnTeteDbase(path);
    DbaseTable t;
    t.h_->path = path;
    SAHooks h = hooks();
    errno = 0;
    t.h_->dbf = DBFOpenLL(QFile::encodeName(path).constData(), "rb", &h);
    if (!t.h_->dbf) {
        const int e = errno != 0 ? errno : EINVAL;
        throw DbaseError(QStringLiteral("impossible d'ouvrir %1 : %2").arg(path, errorText(e)), e);
    }
    t.h_->attach();
    // A header may claim any number of records; reading past the file's end only fails.
    struct stat st {};
    const std::int64_t size = ::fstat(fileOf(t.h_->dbf->fp)->fd, &st) == 0 ? std::int64_t(st.st_size) : 0;
    const std::int64_t body = size - t.h_->dbf->nHeaderLength;
    const std::int64_t recordLength = t.h_->dbf->nRecordLength;
    t.recordsPresent_ = body > 0 && recordLength > 0 ? body / recordLength : 0;
    // The ".cpg" first, whatever the case of its name, then the language driver, then a guess.
    if (const auto cpg = fichierVoisin(path, QStringLiteral("cpg"))) {
        QFile f(*cpg);
        if (f.open(QIODevice::ReadOnly)) t.h_->codePage = QString::fromLatin1(f.readLine(64)).trimmed();
    }
    const int ldid = t.h_->dbf->iLanguageDriver;
    t.decodeur_ = DbaseDecodeur(t.h_->codePage, ldid);
    if (t.h_->codePage.isEmpty() && ldid != 0) t.h_->codePage = QStringLiteral("LDID/%1").arg(ldid);
    // Field names are in the table's code page, as its values are.
    const int n = DBFGetFieldCount(t.h_->dbf);
    for (int i = 0; i < n; ++i) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0, decimals = 0;
        DBFGetFieldInfo(t.h_->dbf, i, name, &width, &decimals);
        t.fields_.push_back({t.decodeur_(QByteArray(name)), DBFGetNativeFieldType(t.h_->dbf, i), width, decimals});
    }
    return t;
}

void DbaseTable::check(const char* what) {
    if (h_->error != 0)
        throw DbaseError(QStringLiteral("%1 de %2 : %3").arg(QLatin1String(what), h_->path, errorText(h_->error)),
                         h_->error);
}

void DbaseTable::failWritesAfter(std::int64_t bytes) {
    if (h_->dbf) fileOf(h_->dbf->fp)->budget = bytes;
}

void DbaseTable::append(const std::vector<DbaseValue>& values) {
    if (!h_->dbf) throw DbaseError(QStringLiteral("table fermée : %1").arg(h_->path));
    if (values.size() != fields_.size())
        throw DbaseError(QStringLiteral("%1 valeurs pour %2 champs").arg(values.size()).arg(fields_.size()));
    const int record = DBFGetRecordCount(h_->dbf);
    char* out = work_.data();
    for (std::size_t i = 0; i < values.size(); ++i) {
        const DbaseField& f = fields_[i];
        const DbaseValue& v = values[i];
        if (std::holds_alternative<std::monostate>(v)) {
            out[0] = '\0';
        } else if (const auto* text = std::get_if<QStringView>(&v)) {
            if (f.type != 'C') throw DbaseError(QStringLiteral("texte dans le champ numérique %1").arg(f.name));
            out[encodeWindows1252(*text, out, f.width)] = '\0';
        } else {
            if (f.type != 'N') throw DbaseError(QStringLiteral("nombre dans le champ texte %1").arg(f.name));
            char digits[64];
            std::to_chars_result r{};
            if (const auto* integer = std::get_if<std::int64_t>(&v); integer && f.decimals == 0) {
                r = std::to_chars(digits, digits + sizeof digits, *integer);
            } else {
                const double d = integer ? double(*integer) : std::get<double>(v);
                if (!std::isfinite(d))
                    throw DbaseError(QStringLiteral("valeur non finie pour le champ %1").arg(f.name));
                r = std::to_chars(digits, digits + sizeof digits, d, std::chars_format::fixed, f.decimals);
            }
            const int len = r.ec == std::errc() ? int(r.ptr - digits) : f.width + 1;
            if (len > f.width)
                throw DbaseError(QStringLiteral("valeur trop large pour le champ %1 (%2 caractères)")
                                     .arg(f.name)
                                     .arg(f.width));
            std::memset(out, ' ', std::size_t(f.width - len));
            std::memcpy(out + (f.width - len), digits, std::size_t(len));
            out[f.width] = '\0';
        }
        if (!DBFWriteAttributeDirectly(h_->dbf, record, int(i), out)) {
            if (h_->error == 0) h_->error = EIO;
            check("écriture");
        }
    }
    check("écriture");
}

void DbaseTable::close() {
    if (!h_->dbf) return;
    DBFClose(std::exchange(h_->dbf, nullptr));
    check("fermeture");
}

// ------------------------------------------------------------------ reading

int DbaseTable::fieldIndex(const QString& name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (fields_[i].name.compare(name, Qt::CaseInsensitive) == 0) return int(i);
    return -1;
}

std::int64_t DbaseTable::recordCount() const {
    if (!h_->dbf) return 0;
    const std::int64_t header = DBFGetRecordCount(h_->dbf);
    return recordsPresent_ < 0 ? header : std::min(header, recordsPresent_);
}

bool DbaseTable::isDeleted(std::int64_t record) const {
    return h_->dbf && record >= 0 && record < recordCount() && DBFIsRecordDeleted(h_->dbf, int(record)) != 0;
}

const char* DbaseTable::raw(std::int64_t record, int field) const {
    if (!h_->dbf || record < 0 || record >= recordCount() || field < 0 || field >= int(fields_.size()))
        throw DbaseError(QStringLiteral("enregistrement %1, champ %2 hors de la table").arg(record).arg(field));
    const char* s = DBFReadStringAttribute(h_->dbf, int(record), field);
    return s ? s : "";
}

QString DbaseTable::text(std::int64_t record, int field) const { return decodeur_(QByteArray(raw(record, field))); }

std::optional<double> DbaseTable::number(std::int64_t record, int field) const {
    const char* s = raw(record, field);
    const char* end = s + std::strlen(s);
    while (s < end && *s == ' ') ++s;
    while (end > s && end[-1] == ' ') --end;
    if (s == end || *s == '*') return std::nullopt;
    if (*s == '+') ++s;
    double v = 0;
    const auto r = std::from_chars(s, end, v);
    if (r.ec != std::errc() || r.ptr != end) return std::nullopt;
    return v;
}

bool DbaseTable::isNull(std::int64_t record, int field) const {
    const char* s = raw(record, field);
    while (*s == ' ') ++s;
    if (*s == '\0') return true;
    const char type = fields_[std::size_t(field)].type;
    return (type == 'N' || type == 'F') && *s == '*';
}

QString DbaseTable::codePage() const { return h_->codePage; }

}  // namespace sotrix
