#include "DbaseCodePage.h"

#include <QStringDecoder>

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <initializer_list>

namespace sotrix {

namespace {

// Characters of the bytes 0x80..0x9F; 0 where the code page defines none.
constexpr char16_t kHigh1252[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char to1252(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return char(c);
    for (int i = 0; i < 32; ++i)
        if (kHigh1252[i] != 0 && kHigh1252[i] == c) return char(0x80 + i);
    return '?';
}

// Walks the code points of a UTF-16 text (an unpaired surrogate counts as one).
template <class F>
void forEachCodePoint(QStringView text, F&& f) {
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), text[i + 1].unicode());
            ++i;
        }
        if (!f(c)) return;
    }
}

// Bytes of the code page iconv was opened on; what it cannot convert becomes U+FFFD.
QString viaIconv(iconv_t cd, const QByteArray& bytes) {
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    QByteArray out(bytes.size() * 4 + 4, Qt::Uninitialized);
    char* in = const_cast<char*>(bytes.constData());
    std::size_t inLeft = std::size_t(bytes.size());
    char* o = out.data();
    std::size_t outLeft = std::size_t(out.size());
    while (inLeft > 0) {
        if (iconv(cd, &in, &inLeft, &o, &outLeft) != std::size_t(-1)) break;
        if (errno == E2BIG || outLeft < 3) break;
        // A byte the code page does not define.
        ++in;
        --inLeft;
        std::memcpy(o, "\xEF\xBF\xBD", 3);
        o += 3;
        outLeft -= 3;
    }
    iconv(cd, nullptr, nullptr, &o, &outLeft);
    return QString::fromUtf8(out.constData(), o - out.constData());
}

// The code pages of the language drivers that GDAL's shapefile reader knows, by their
// iconv names. 87, which our own tables carry, is Windows-1252, as 3, 88 and 89 are.
struct Pilote {
    int ldid;
    const char* codePage;
};
constexpr Pilote kPilotes[] = {
    {1, "CP437"},     {2, "CP850"},     {3, "CP1252"},   {4, "MACINTOSH"}, {8, "CP865"},   {10, "CP850"},
    {11, "CP437"},    {13, "CP437"},    {14, "CP850"},   {15, "CP437"},    {16, "CP850"},  {17, "CP437"},
    {18, "CP850"},    {19, "CP932"},    {20, "CP850"},   {21, "CP437"},    {22, "CP850"},  {23, "CP865"},
    {24, "CP437"},    {25, "CP437"},    {26, "CP850"},   {27, "CP437"},    {28, "CP863"},  {29, "CP850"},
    {31, "CP852"},    {34, "CP852"},    {35, "CP852"},   {36, "CP860"},    {37, "CP850"},  {38, "CP866"},
    {55, "CP850"},    {64, "CP852"},    {77, "CP936"},   {78, "CP949"},    {79, "CP950"},  {80, "CP874"},
    {87, "CP1252"},   {88, "CP1252"},   {89, "CP1252"},  {100, "CP852"},   {101, "CP866"}, {102, "CP865"},
    {103, "CP861"},   {104, "CP895"},   {105, "CP620"},  {106, "CP737"},   {107, "CP857"}, {108, "CP863"},
    {120, "CP950"},   {121, "CP949"},   {122, "CP936"},  {123, "CP932"},   {124, "CP874"}, {134, "CP737"},
    {135, "CP852"},   {136, "CP857"},   {150, "CP10007"}, {151, "MAC-CENTRALEUROPE"}, {200, "CP1250"},
    {201, "CP1251"},  {202, "CP1254"},  {203, "CP1253"}, {204, "CP1257"},
};

// The code page of a language driver; "" for 0 and the drivers no reader names.
QLatin1String codePagePilote(int ldid) {
    for (const Pilote& p : kPilotes)
        if (p.ldid == ldid) return QLatin1String(p.codePage);
    return {};
}

}  // namespace

QByteArray encodeWindows1252(QStringView text) {
    QByteArray out(text.size(), Qt::Uninitialized);
    out.truncate(encodeWindows1252(text, out.data(), int(out.size())));
    return out;
}

int encodeWindows1252(QStringView text, char* out, int max) {
    int n = 0;
    forEachCodePoint(text, [&](char32_t c) {
        if (n >= max) return false;
        out[n++] = to1252(c);
        return true;
    });
    return n;
}

QString decodeWindows1252(const QByteArray& bytes) {
    QString out;
    out.reserve(bytes.size());
    for (const char b : bytes) {
        const auto u = static_cast<unsigned char>(b);
        if (u >= 0x80 && u < 0xA0 && kHigh1252[u - 0x80] != 0)
            out.append(QChar(kHigh1252[u - 0x80]));
        else
            out.append(QChar(char16_t(u)));  // the undefined five keep their C1 code points
    }
    return out;
}

void DbaseDecodeur::FermeIconv::operator()(void* cd) const { iconv_close(iconv_t(cd)); }

DbaseDecodeur::DbaseDecodeur(const QString& cpg, int ldid) {
    // The .cpg first; when it names no code page iconv knows, the language driver.
    if (!choisit(cpg)) choisit(codePagePilote(ldid));
}

bool DbaseDecodeur::choisit(const QString& codePage) {
    const QString cp = codePage.toUpper();
    const auto is = [&](std::initializer_list<const char*> names) {
        return std::any_of(names.begin(), names.end(), [&](const char* n) { return cp == QLatin1String(n); });
    };
    if (cp.isEmpty()) return false;
    if (is({"1252", "CP1252", "ANSI 1252", "WINDOWS-1252"})) {
        codec_ = Codec::Windows1252;
    } else if (is({"UTF-8", "UTF8", "65001"})) {
        codec_ = Codec::Utf8;
    } else if (is({"88591", "8859-1", "ISO-8859-1", "ISO 88591", "LATIN1"})) {
        codec_ = Codec::Latin1;
    } else if (const iconv_t cd = iconv_open("UTF-8", cp.toLatin1().constData()); cd != iconv_t(-1)) {
        codec_ = Codec::Iconv;
        iconv_.reset(cd);
    } else {
        return false;
    }
    return true;
}

QString DbaseDecodeur::operator()(const QByteArray& bytes) const {
    switch (codec_) {
    case Codec::Windows1252:
        return decodeWindows1252(bytes);
    case Codec::Latin1:
        return QString::fromLatin1(bytes);
    case Codec::Utf8:
        return QString::fromUtf8(bytes);
    case Codec::Iconv:
        return viaIconv(iconv_t(iconv_.get()), bytes);
    case Codec::Guess:
        break;
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString asUtf8 = utf8(bytes);
    return utf8.hasError() ? decodeWindows1252(bytes) : asUtf8;
}

}  // namespace sotrix
