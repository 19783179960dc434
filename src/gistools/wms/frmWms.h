#pragma once
// The WMS configuration tool: asks a server for its capabilities, lists the layers it can
// draw and its coordinate systems, and writes a ".ogc" file for the chosen layers.

#include "HandModal.h"
#include "WmsCapabilities.h"
#include "WmsClient.h"

#include <memory>

class QComboBox;
class QLineEdit;
class QListView;
class QPushButton;

namespace sotrix {

class ModeleCouches;

class frmWms : public HandModalDialog {
    Q_OBJECT
public:
    explicit frmWms(int timeoutMs = kDelaiWmsMs);

    void cmdRecuperer_Click();
    void cmdDestination_Click();
    void cmd_convert_Click();
    void cmdAnnuler_Click();

    bool retrieving() const { return client_.busy(); }

protected:
    void closeFromControlBox() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onReply(const ReponseWms& reply);
    void showReply(const ReponseWms& reply);
    void clearLists();

    QLineEdit* txtUrl_;
    QListView* lstLayers_;
    ModeleCouches* couches_;
    QComboBox* cboProjection_;
    QLineEdit* txtDestination_;
    WmsClient client_;
    QString onlineResource_;  // of the running or last request
    std::shared_ptr<const WmsCapabilities> caps_;
};

}  // namespace sotrix
