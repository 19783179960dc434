// The list width helper and the folder chooser.
#include "ListeDossier.h"
#include "ScriptedPrompter.h"
#include "Workspace.h"

#include <QFont>
#include <QFontMetrics>

#include <algorithm>

namespace sotrix {
namespace {

using test::PromptKind;
using test::WorkspaceTest;

TEST(AjusteListe, LongestLinePlusScrollBarWhateverTheOrder) {
    const QFontMetrics fm(QFont(QStringLiteral("Sans"), 10));
    const int abc = fm.horizontalAdvance(QStringLiteral("abc"));
    ASSERT_GT(abc, 0);
    EXPECT_EQ(ajusteListe({QStringLiteral("abc")}, fm, 17), abc + 17);
    EXPECT_EQ(ajusteListe({}, fm, 17), 0);
    const QStringList a{QStringLiteral("aa"), QStringLiteral("Longue ligne"), QStringLiteral("bb")};
    QStringList b = a;
    std::reverse(b.begin(), b.end());
    EXPECT_EQ(ajusteListe(a, fm, 3), ajusteListe(b, fm, 3));
    EXPECT_EQ(ajusteListe(a, fm, 3), fm.horizontalAdvance(QStringLiteral("Longue ligne")) + 3);
}

class ChoisirDossier : public WorkspaceTest {};

TEST_F(ChoisirDossier, GivesThePathWholeOrNothing) {
    const QString longPath = QStringLiteral("/") + QString(299, QLatin1Char('d'));
    prompts->answerFolder(longPath);
    EXPECT_EQ(choisirDossier(QStringLiteral("Ajouter un répertoire :")), longPath);
    prompts->answerFolder(std::nullopt);
    EXPECT_EQ(choisirDossier(QStringLiteral("Ajouter un répertoire :")), QString());
    ASSERT_EQ(prompts->prompts().size(), 2u);
    EXPECT_EQ(prompts->prompts()[0].kind, PromptKind::ChooseFolder);
    EXPECT_EQ(prompts->prompts()[0].title, QStringLiteral("Ajouter un répertoire :"));
}

}  // namespace
}  // namespace sotrix
