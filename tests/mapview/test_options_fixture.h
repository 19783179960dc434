#pragma once
// The settings dialog opened over a main window: its controls by name, user picks that
// run the handlers, focus moves, and the stored Options row.

#include "Database.h"
#include "frmOption.h"
#include "test_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QLocale>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QtTest/QTest>

namespace sotrix::test {

class OptionsTest : public MapviewTest {
protected:
    void SetUp() override {
        MapviewTest::SetUp();
        savedLocale_ = QLocale();
        QLocale::setDefault(QLocale(QLocale::French, QLocale::Belgium));
    }
    void TearDown() override {
        if (dialog) delete dialog.data();
        QLocale::setDefault(savedLocale_);
        MapviewTest::TearDown();
    }

    // Opens the dialog from the menu command; false when it did not open.
    bool open() {
        form->gpsOptions_Click();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<frmOption*>(w); d && d->isVisible()) dialog = d;
        return !dialog.isNull();
    }
    bool closed() {
        QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return dialog.isNull();
    }

    template <typename W>
    W* control(const char* name) {
        W* w = dialog->findChild<W*>(QString::fromUtf8(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    QComboBox* combo(const char* name) { return control<QComboBox>(name); }
    QLineEdit* edit(const char* name) { return control<QLineEdit>(name); }
    QPushButton* button(const char* name) { return control<QPushButton>(name); }

    // The user picks the entry with that text (runs the list's handler).
    void pick(const char* list, const QString& text) {
        QComboBox* box = combo(list);
        const int i = box->findText(text);
        ASSERT_GE(i, 0) << list << " " << text.toStdString();
        box->setCurrentIndex(i);
        emit box->activated(i);
    }
    void click(const char* name) { button(name)->click(); }
    void clickOption(const char* name) { control<QRadioButton>(name)->click(); }
    // Brings the box's tab to the front, puts the focus into the box, then into another
    // control of the same tab.
    void focusThenLeave(const char* box, const char* next) {
        auto* tabs = control<QTabWidget>("SSTab1");
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->widget(i)->isAncestorOf(edit(box))) tabs->setCurrentIndex(i);
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog));
        edit(box)->setFocus();
        QApplication::processEvents();
        EXPECT_TRUE(edit(box)->hasFocus()) << box;
        control<QWidget>(next)->setFocus();
        QApplication::processEvents();
    }
    qint32 colourOf(const char* name) { return qint32(button(name)->property("couleur").toLongLong()); }

    void setOptions(const QString& assignments, const QVariantList& params = {}) {
        DbGuard db;
        db->exec(QStringLiteral("update Options set ") + assignments, params);
    }
    QVariantList row() {
        DbGuard db;
        Cursor c = db->query(QStringLiteral("select * from Options"));
        QVariantList out;
        while (c.next())
            for (int i = 0; i < c.columnCount(); ++i) out << c.value(i);
        return out;
    }
    QString proj4(int epsg) {
        DbGuard db;
        return db->scalar(QStringLiteral("select Proj4 from Proj where Epsg = ?"), {epsg}).toString();
    }

    QPointer<frmOption> dialog;

private:
    QLocale savedLocale_;
};

}  // namespace sotrix::test
