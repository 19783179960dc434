// The order and the equality of names: French order with case and accents folded first,
// equality without regard to case only, one consistent total order.
#include "Database.h"
#include "NameCollation.h"
#include "Workspace.h"

#include <QStringList>

#include <algorithm>

namespace sotrix {
namespace {

using test::WorkspaceTest;

int cmp(const QString& a, const QString& b) {
    const QByteArray ua = a.toUtf8(), ub = b.toUtf8();
    const int c = compareNoms({ua.constData(), size_t(ua.size())}, {ub.constData(), size_t(ub.size())});
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

// Names that share ASCII beginnings, differ only by case, by an accent, by a ligature,
// or by a decomposed accent, so that every way through the comparison is taken.
const QStringList kNames{
    "Abbaye",   "abbaye",    "ABBAYE",   "Abbé",     "Abbe",       "abbe ",     "Écluse",    "ecluse",
    "église",   "Église",    "ÉGLISE",   "eglise",   "E\u0301glise", "Eglises", "Forêt",     "foret",
    "FORÊT",    "Zoo",       "zoo2",     "œuvre",    "Œuvre",      "oeuvre",    "OEUVRE",    "oeuvrf",
    "Straße",   "strasse",   "STRASSE",  "Strasse",  "æther",      "aether",    "ﬁl",        "fil",
    "",         "e",         "é",        "\u0301",   "K",          "\u212A",    "Île",       "ile",
    "Ilot",     "Čech",      "Cech",     "Δέλτα",    "δέλτα",      "Zürich",    "Zurich",    "Zuerich",
    "wp10",     "wp9",       "Pont 12",  "Pontoise", "L'église",   "L'ÉGLISE",  "l'eglise",  "ŉ",
    "日本",     "\U0001F600", "\U00010400", "\U00010428"};

TEST(NameCollation, FrenchOrderWithAccentsAndCaseFoldedFirst) {
    struct Row {
        const char* lower;
        const char* higher;
    } rows[] = {
        {"Abbaye", "Écluse"},  {"Écluse", "église"}, {"église", "Forêt"}, {"Forêt", "Zoo"},
        {"ecluse", "Écluse"},  // the accent breaks the tie, after the letters
        {"Eglise", "église"},  {"cote", "côte"},     {"Abbe", "Abbé"},    {"Abbé", "abbez"},
        {"oeuvre", "œuvre"},   {"œuvre", "oeuvrf"},  {"oeuvra", "œuvre"}, {"strasse", "Straße"},
        {"Straße", "strasset"}, {"aether", "æther"}, {"Île", "Ilot"},     {"Cech", "Čech"},
        {"Čech", "Cecha"},     {"Zurich", "Zürich"}, {"Zürich", "Zuriche"},
        {"e", "é"},            {"Pont 12", "Pontoise"}, {"fil", "ﬁl"}, {"", "\u0301"},
    };
    for (const Row& r : rows) {
        const QString lo = QString::fromUtf8(r.lower), hi = QString::fromUtf8(r.higher);
        EXPECT_EQ(cmp(lo, hi), -1) << r.lower << " < " << r.higher;
        EXPECT_EQ(cmp(hi, lo), 1) << r.higher << " > " << r.lower;
    }
}

TEST(NameCollation, EqualityIgnoresCaseOnlyAsBefore) {
    struct Row {
        const char* a;
        const char* b;
        bool equal;
    } rows[] = {
        {"église", "ÉGLISE", true},  {"L'église", "l'Église", true}, {"Forêt", "FORÊT", true},
        {"œuvre", "ŒUVRE", true},    {"K", "\u212A", true},          {"Δέλτα", "δέλτα", true},
        {"\U00010400", "\U00010428", true},
        {"eglise", "église", false}, {"oeuvre", "œuvre", false},     {"strasse", "straße", false},
        {"fil", "ﬁl", false},        {"é", "e\u0301", false},        {"abbe", "abbe ", false},
    };
    for (const Row& r : rows) {
        const QString a = QString::fromUtf8(r.a), b = QString::fromUtf8(r.b);
        EXPECT_EQ(cmp(a, b) == 0, r.equal) << r.a << " / " << r.b;
        EXPECT_EQ(a.compare(b, Qt::CaseInsensitive) == 0, r.equal) << r.a << " / " << r.b;
    }
}

TEST(NameCollation, OneTotalOrderWhoseTiesAreTheEqualNames) {
    QStringList sorted = kNames;
    std::stable_sort(sorted.begin(), sorted.end(), [](const QString& a, const QString& b) { return cmp(a, b) < 0; });
    for (qsizetype i = 0; i < sorted.size(); ++i) {
        for (qsizetype j = 0; j < sorted.size(); ++j) {
            const QString& a = sorted[i];
            const QString& b = sorted[j];
            const int c = cmp(a, b);
            EXPECT_EQ(c, -cmp(b, a)) << qPrintable(a) << " / " << qPrintable(b);
            EXPECT_EQ(c == 0, a.compare(b, Qt::CaseInsensitive) == 0) << qPrintable(a) << " / " << qPrintable(b);
            // Transitive: the sorted sequence agrees with every pair, not only neighbours.
            if (i < j) {
                EXPECT_LE(c, 0) << qPrintable(a) << " / " << qPrintable(b);
            }
        }
    }
}

TEST(NameCollation, InvalidBytesCompareAsReplacementCharacters) {
    const std::string_view bad("a\xC3", 2), bad2("a\xFF", 2), good("a\xEF\xBF\xBD", 4);
    EXPECT_EQ(compareNoms(bad, bad2), 0);
    EXPECT_EQ(compareNoms(bad, good), 0);
    EXPECT_LT(compareNoms(std::string_view("a", 1), bad), 0);
    EXPECT_LT(compareNoms(std::string_view("a\xC3\xA9", 3), bad), 0);  // é before U+FFFD
}

TEST(NameCollation, EqualNamesShareTheirFingerprintAndOthersDoNot) {
    const auto empreinte = [](const QString& n) {
        const QByteArray u = n.toUtf8();
        return empreinteNom({u.constData(), size_t(u.size())});
    };
    for (const QString& a : kNames)
        for (const QString& b : kNames)
            EXPECT_EQ(empreinte(a) == empreinte(b), cmp(a, b) == 0) << qPrintable(a) << " / " << qPrintable(b);
    const std::string_view bad("a\xC3", 2), bad2("a\xFF", 2), good("a\xEF\xBF\xBD", 4);
    EXPECT_EQ(empreinteNom(bad), empreinteNom(bad2));
    EXPECT_EQ(empreinteNom(bad), empreinteNom(good));
    EXPECT_NE(empreinteNom(bad), empreinteNom(std::string_view("a", 1)));
}

class NameOrderInDatabase : public WorkspaceTest {};

TEST_F(NameOrderInDatabase, OrderByGroupByAndEqualityUseTheSameCollation) {
    DbGuard db;
    for (const QString& name : kNames) db->insert(QStringLiteral("Points"), {{QStringLiteral("Nom"), name}});
    QStringList ordered;
    for (Cursor c = db->query(QStringLiteral("select Nom from Points order by Nom, Id_point")); c.next();)
        ordered << c.value(0).toString();
    QStringList expected = kNames;
    std::stable_sort(expected.begin(), expected.end(), [](const QString& a, const QString& b) { return cmp(a, b) < 0; });
    EXPECT_EQ(ordered, expected);

    // Groups are the names equal without regard to case.
    qint64 groups = 0;
    for (Cursor c = db->query(QStringLiteral("select Nom, count(*) from Points group by Nom")); c.next();) {
        ++groups;
        const QString name = c.value(0).toString();
        const qint64 expectedCount = std::count_if(kNames.begin(), kNames.end(), [&](const QString& n) {
            return n.compare(name, Qt::CaseInsensitive) == 0;
        });
        EXPECT_EQ(c.value(1).toLongLong(), expectedCount) << qPrintable(name);
    }
    QStringList distinct;
    for (const QString& n : kNames)
        if (std::none_of(distinct.begin(), distinct.end(),
                         [&](const QString& d) { return d.compare(n, Qt::CaseInsensitive) == 0; }))
            distinct << n;
    EXPECT_EQ(groups, distinct.size());
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Nom = ?"), {QStringLiteral("L'ÉGLISE")})
                  .toLongLong(),
              2);
    EXPECT_EQ(db->scalar(QStringLiteral("select count(*) from Points where Nom < ?"), {QStringLiteral("Écluse")})
                  .toLongLong(),
              std::count_if(kNames.begin(), kNames.end(), [](const QString& n) { return cmp(n, "Écluse") < 0; }));
}

}  // namespace
}  // namespace sotrix
