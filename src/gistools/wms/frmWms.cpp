#include "frmWms.h"

#include "AppDir.h"
#include "CommandGuard.h"
#include "Database.h"
#include "Divers.h"
#include "FileDialogs.h"
#include "GisToolMessages.h"
#include "OgcWriter.h"
#include "State.h"
#include "WmsAddress.h"
#include "WmsExtent.h"
#include "WmsLayerModel.h"
#include "WmsListing.h"
#include "proj4.h"

#include <QComboBox>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QItemSelectionModel>
#include <QListView>
#include <QPushButton>
#include <QSaveFile>
#include <QTimer>

#include <algorithm>

namespace sotrix {
namespace {

constexpr qint32 kEpsgLatLon = 4326;
const QString kMsgAdresseWms = QStringLiteral("Vous devez saisir l'adresse du serveur WMS.");

void exclamation(const QString& text) { prompter().message(text, Icon::Exclamation); }

QPushButton* button(QWidget* parent, const char* name, const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(QString::fromUtf8(name));
    b->setAutoDefault(false);
    return b;
}

}  // namespace

frmWms::frmWms(int timeoutMs) : client_(timeoutMs) {
    setObjectName(QStringLiteral("frmWms"));
    setWindowTitle(QStringLiteral("Fichier de configuration WMS"));
    auto* grid = new QGridLayout(this);
    grid->addWidget(new QLabel(QStringLiteral("Logiciel Sotrix"), this), 0, 0, 1, 2);
    grid->addWidget(new QLabel(QStringLiteral("Fichier de configuration WMS"), this), 1, 0, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Adresse du serveur WMS :"), this), 2, 0, 1, 2);
    txtUrl_ = new QLineEdit(this);
    txtUrl_->setObjectName(QStringLiteral("txtUrl"));
    txtUrl_->installEventFilter(this);
    grid->addWidget(txtUrl_, 3, 0, 1, 2);
    QPushButton* recuperer = button(this, "cmdRécupérer", QStringLiteral("Récupérer la liste des couches disponibles"));
    grid->addWidget(recuperer, 4, 0, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Liste des couches disponibles sur le serveur WMS :"), this), 5, 0, 1, 2);
    lstLayers_ = new QListView(this);
    lstLayers_->setObjectName(QStringLiteral("lstLayers"));
    lstLayers_->setSelectionMode(QAbstractItemView::MultiSelection);
    lstLayers_->setUniformItemSizes(true);
    couches_ = new ModeleCouches(lstLayers_);
    lstLayers_->setModel(couches_);
    grid->addWidget(lstLayers_, 6, 0, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Systèmes de projection disponibles sur le serveur WMS :"), this), 7, 0, 1, 2);
    cboProjection_ = new QComboBox(this);
    cboProjection_->setObjectName(QStringLiteral("cboProjection"));
    grid->addWidget(cboProjection_, 8, 0, 1, 2);

    grid->addWidget(new QLabel(QStringLiteral("Fichier de configuration WMS à créer :"), this), 9, 0, 1, 2);
    txtDestination_ = new QLineEdit(this);
    txtDestination_->setObjectName(QStringLiteral("txtDestination"));
    grid->addWidget(txtDestination_, 10, 0);
    QPushButton* destination = button(this, "cmdDestination", QStringLiteral("..."));
    grid->addWidget(destination, 10, 1);
    QPushButton* creer = button(this, "cmd_convert", QStringLiteral("Créer"));
    QPushButton* quitter = button(this, "cmdAnnuler", QStringLiteral("Quitter"));
    grid->addWidget(creer, 11, 0);
    grid->addWidget(quitter, 11, 1);

    connect(recuperer, &QPushButton::clicked, this, [this] { runCommand([this] { cmdRecuperer_Click(); }); });
    connect(destination, &QPushButton::clicked, this, [this] { runCommand([this] { cmdDestination_Click(); }); });
    connect(creer, &QPushButton::clicked, this, [this] { runCommand([this] { cmd_convert_Click(); }); });
    connect(quitter, &QPushButton::clicked, this, [this] { runCommand([this] { cmdAnnuler_Click(); }); });
    connect(txtUrl_, &QLineEdit::textChanged, this, [this] { clearLists(); });
    connect(&client_, &WmsClient::finished, this, [this](const ReponseWms& r) { runCommand([&] { onReply(r); }); });
}

bool frmWms::eventFilter(QObject* watched, QEvent* event) {
    // After the click that gave the focus, so that the click does not undo the selection.
    if (watched == txtUrl_ && event->type() == QEvent::FocusIn) QTimer::singleShot(0, txtUrl_, &QLineEdit::selectAll);
    return HandModalDialog::eventFilter(watched, event);
}

void frmWms::clearLists() {
    couches_->vide();
    cboProjection_->clear();
}

void frmWms::cmdRecuperer_Click() {
    const QString typed = txtUrl_->text();
    if (couches_->rowCount() > 0) {
        if (prompter().ask(QStringLiteral("Vous avez déjà récupèré les couches disponibles.\n"
                                          "Voulez-vous actualiser cette liste ?")) != Answer::Yes)
            return;
    } else if (!connecteInternet()) {
        if (prompter().ask(QStringLiteral("Vous tentez d'accéder à un serveur WMS alors que vous n'êtes pas connecté "
                                          "à internet.\n¨Voulez-vous continuer ?")) != Answer::Yes)
            return;
    } else if (typed.isEmpty()) {
        exclamation(kMsgAdresseWms);
        return;
    }
    clearLists();
    client_.abort();
    const auto address = adresseWms(typed);
    if (!address) {
        exclamation(kMsgAdresseWms);
        return;
    }
    onlineResource_ = address->onlineResource;
    client_.get(address->requete);
}

void frmWms::onReply(const ReponseWms& reply) {
    if (reply.kind != ReponseWms::Kind::Body) {
        exclamation(messageReponseWms(reply));
        return;
    }
    showReply(reply);
}

void frmWms::showReply(const ReponseWms& reply) {
    auto caps = lireCapabilities(reply.body);
    caps_ = caps ? std::make_shared<const WmsCapabilities>(std::move(*caps)) : nullptr;
    ListeWms liste;
    if (caps_) {
        DbGuard db;
        liste = listeWms(*db, *caps_);
    }
    couches_->remplit(caps_, std::move(liste.lignes));
    // Every row as wide as the widest line, which the sideways scroll bar then reaches.
    if (const int row = couches_->plusLarge(lstLayers_->fontMetrics()); row >= 0)
        couches_->setTaille(lstLayers_->sizeHintForIndex(couches_->index(row)));
    for (const SystemeWms& s : liste.systemes) cboProjection_->addItem(s.desc, s.epsg);
    if (cboProjection_->count() > 0) cboProjection_->setCurrentIndex(0);
    if (!caps_ || caps_->layers.empty() || couches_->rowCount() == 0)
        exclamation(messageReponseWms({ReponseWms::Kind::Failed, {}, 0, {}}));
}

void frmWms::cmdDestination_Click() {
    FileRequest request;
    request.title = QStringLiteral("Enregistrer");
    request.filters = {QStringLiteral("Fichier de configuration WMS (*.ogc)")};
    request.folder = appDir();
    const auto choice = dialogueEnregistrer(request, QStringLiteral("frmWms"));
    if (choice && !choice->files.isEmpty()) txtDestination_->setText(choice->files.front());
}

void frmWms::cmd_convert_Click() {
    if (couches_->rowCount() == 0) {
        exclamation(QStringLiteral("Vous devez d'abord récupérer la liste des couches disponibles sur le serveur WMS."));
        return;
    }
    QModelIndexList rows = lstLayers_->selectionModel()->selectedRows();
    std::sort(rows.begin(), rows.end());
    std::vector<WmsLayer> chosen;
    for (const QModelIndex& row : rows) chosen.push_back(couches_->couche(row.row()));
    if (chosen.empty()) {
        exclamation(QStringLiteral("Vous devez sélectionner au moins une couche."));
        return;
    }
    if (cboProjection_->currentIndex() < 0) {
        exclamation(QStringLiteral("Vous devez sélectionner le système de projection à utiliser."));
        return;
    }
    // A name is saved with the suffix that the reference layer's dialog looks for; a
    // folder is no name to complete, and cannot be written.
    const QString typed = txtDestination_->text();
    const QString path = QFileInfo(typed).isDir() ? typed : avecSuffixe(typed, QStringLiteral("ogc"));
    if (path.isEmpty()) {
        exclamation(QStringLiteral("Vous devez spécifier un fichier de destination."));
        return;
    }
    txtDestination_->setText(path);
    if (!accepteRemplacement(path)) return;

    const qint32 code = cboProjection_->currentData().toInt();
    std::optional<LayerExtent> extent;
    {
        DbGuard db;
        ProjSystems systems(*db, kEpsgLatLon, code);
        if (systems.status() == ProjSystems::Status::NotFound) exclamation(QString::fromUtf8(kMsgProjIntrouvable));
        if (!systems.ok()) return;
        extent = etendueWms(chosen, systems, code != kEpsgLatLon);
    }
    if (!extent) return;

    ContenuOgc content;
    content.version = caps_->version;
    content.onlineResource = onlineResource_;
    content.formats = caps_->formats;
    content.epsg = code;
    content.extent = *extent;
    for (const WmsLayer& l : chosen) content.layers << l.name;

    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(texteOgc(content)) < 0 || !file.commit()) {
        exclamation(QStringLiteral("Impossible de créer le fichier de configuration '") + path +
                    QStringLiteral("'.\nVérifiez que ce fichier n'est pas en cours d'utilisation."));
        return;
    }
    prompter().message(QStringLiteral("Le fichier de configuration a bien été créé."), Icon::Information);
}

void frmWms::cmdAnnuler_Click() {
    client_.abort();
    finish();
}

void frmWms::closeFromControlBox() { cmdAnnuler_Click(); }

}  // namespace sotrix
