#include "frmAproposde.h"

#include "Logo.h"
#include "Version.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace sotrix {

namespace {

QLabel* label(QLayout* layout, const char* name, const QString& text, bool bold = false, int points = 0,
              Qt::Alignment align = Qt::AlignLeft) {
    auto* l = new QLabel(text);
    l->setObjectName(QString::fromUtf8(name));
    l->setAlignment(align);
    l->setWordWrap(true);
    QFont f = l->font();
    f.setBold(bold);
    if (points > 0) f.setPointSize(points);
    l->setFont(f);
    layout->addWidget(l);
    return l;
}

QFrame* separator(QLayout* layout) {
    auto* line = new QFrame;
    line->setObjectName(QStringLiteral("Line1"));
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    layout->addWidget(line);
    return line;
}

struct Credit {
    const char* name;
    const char* text;
    const char* pageName;
    const char* page;
};

}  // namespace

frmAproposde::frmAproposde() {
    setObjectName(QStringLiteral("frmAproposde"));
    setWindowTitle(QStringLiteral("A propos de Sotrix"));
    auto* outer = new QVBoxLayout(this);
    const Qt::Alignment centre = Qt::AlignHCenter;
    label(outer, "Label2", QStringLiteral("Sotrix"), false, 24, centre);
    label(outer, "Label1", QStringLiteral("Sotrix est un logiciel de gestion des données GPS."), false, 0, centre);
    label(outer, "lblVersion", QString(), true, 0, centre);

    auto* makers = new QHBoxLayout;
    auto* picture = new QLabel;
    picture->setObjectName(QStringLiteral("Picture2"));
    picture->setPixmap(logoSotrix(64));
    makers->addWidget(picture);
    auto* makerLines = new QVBoxLayout;
    label(makerLines, "Label3", QStringLiteral("L'équipe de développement de Sotrix"), true);
    label(makerLines, "Label3", QStringLiteral("Service des outils cartographiques"));
    label(makerLines, "Label4",
          QStringLiteral("Les auteurs déclinent toute responsabilité quant aux litiges qui pourraient découler de "
                         "l'utilisation de cette application."));
    makers->addLayout(makerLines, 1);
    auto* image = new QLabel;
    image->setObjectName(QStringLiteral("Image3"));
    image->setPixmap(logoSotrix(32));
    makers->addWidget(image, 0, Qt::AlignTop);
    outer->addLayout(makers);
    separator(outer);

    label(outer, "Label10", QStringLiteral("Ce programme utilise :"), true);
    const Credit credits[] = {
        {"Label11", "- shp2img pour l'affichage des données cartographiques", "Label14", "https://mapserver.org/"},
        {"Label12", "- GPSBabel pour la gestion des transferts PC - GPS", "Label15", "https://www.gpsbabel.org/"},
        {"Label13", "- Proj.4 pour la gestion des projections cartographiques", "Label16", "https://proj.org/"},
        {"Label17", "- GDAL pour la gestion des données cartographiques", "Label18", "https://gdal.org/"},
    };
    for (const Credit& c : credits) {
        label(outer, c.name, QString::fromUtf8(c.text));
        label(outer, c.pageName, QStringLiteral("    ") + QString::fromUtf8(c.page));
    }
    separator(outer);

    auto* contacts = new QGridLayout;
    auto* contactTitle = new QVBoxLayout;
    label(contactTitle, "Label8", QStringLiteral("Contacts : "), true);
    contacts->addLayout(contactTitle, 0, 0);
    auto* contactLines = new QVBoxLayout;
    label(contactLines, "Label6", QStringLiteral("assistance@sotrix.invalid"));
    label(contactLines, "Label7", QStringLiteral("developpement@sotrix.invalid"));
    contacts->addLayout(contactLines, 0, 1);
    auto* siteTitle = new QVBoxLayout;
    label(siteTitle, "Label9", QStringLiteral("Site internet : "), true);
    contacts->addLayout(siteTitle, 1, 0);
    auto* site = new QVBoxLayout;
    label(site, "Label5", QStringLiteral("http://www.sotrix.invalid/"));
    contacts->addLayout(site, 1, 1);
    outer->addLayout(contacts);

    auto* ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("OK"));
    ok->setDefault(true);
    outer->addWidget(ok, 0, Qt::AlignRight);
    connect(ok, &QPushButton::clicked, this, [this] { OK_Click(); });
}

void frmAproposde::Form_Load() { findChild<QLabel*>(QStringLiteral("lblVersion"))->setText(texteVersion()); }

void frmAproposde::OK_Click() { finish(QDialog::Accepted); }

void frmAproposde::closeFromControlBox() { OK_Click(); }

}  // namespace sotrix
