// The on-screen questions: Escape and the close box give Cancel when the box has it,
// OK on a box with OK only, and nothing at all on a Yes/No question, which must be
// answered.
#include "Prompter.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWindow>
#include <QtTest/QTest>

#include <gtest/gtest.h>

#include <optional>

namespace sotrix {
namespace {

TEST(QtPrompterQuestions, EscapeAndTheCloseBoxCancelOrDoNothing) {
    struct Row {
        const char* what;
        Buttons buttons;
        std::optional<Answer> escaped;  // nullopt: the box stays until answered
    };
    const Row rows[] = {
        {"OK", Buttons::Ok, Answer::Ok},
        {"OK/Cancel", Buttons::OkCancel, Answer::Cancel},
        {"Yes/No", Buttons::YesNo, std::nullopt},
        {"Yes/No/Cancel", Buttons::YesNoCancel, Answer::Cancel},
        {"Retry/Cancel", Buttons::RetryCancel, Answer::Cancel},
    };
    QtPrompter prompter;
    for (const Row& r : rows) {
        for (const bool closeBox : {false, true}) {
            SCOPED_TRACE(std::string(r.what) + (closeBox ? ", close box" : ", Escape"));
            bool stayed = false;
            QTimer::singleShot(0, [&] {
                auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
                ASSERT_NE(box, nullptr);
                if (closeBox) {
                    box->windowHandle()->close();
                } else {
                    QWidget* focus = box->focusWidget();
                    QTest::keyClick(focus ? focus : box, Qt::Key_Escape);
                }
                QApplication::processEvents();
                stayed = box->isVisible();
                if (stayed) box->button(QMessageBox::Yes)->click();
            });
            const Answer answer = prompter.message(QStringLiteral("Continuer ?"), Icon::Question, r.buttons,
                                                   r.buttons == Buttons::YesNo ? Answer::No : Answer::Ok);
            EXPECT_EQ(stayed, !r.escaped.has_value());
            EXPECT_EQ(answer, r.escaped.value_or(Answer::Yes));
        }
    }
}

}  // namespace
}  // namespace sotrix
