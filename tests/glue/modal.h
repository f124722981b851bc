// Answering modal dialogs from a test: the answer runs once the dialog is up, and a
// dialog still open after a few seconds is closed, so that a test never hangs.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QPointer>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

// Runs answer with the modal dialog as soon as one is open, other than the one that was
// active when it was asked for (a test that runs inside a dialog answers the next one).
inline void WhenModal(std::function<void(QDialog*)> answer)
{
    // The dialog the answer was given to; the guard closes only that one, or any modal
    // dialog while none has been found, so that a guard outliving its dialog leaves a
    // later one alone.
    auto answered = std::make_shared<QPointer<QDialog>>();
    auto found = std::make_shared<bool>(false);
    auto* poll = new QTimer;
    poll->setInterval(10);
    const QPointer<QWidget> outer = QApplication::activeModalWidget();
    QObject::connect(poll, &QTimer::timeout, [poll, answer, answered, found, outer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible() || dialog == outer.data())
            return;
        poll->stop();
        poll->deleteLater();
        *found = true;
        *answered = dialog;
        answer(dialog);
    });
    poll->start();

    QTimer::singleShot(5000, [answered, found] {
        QDialog* dialog = *found ? answered->data()
                                 : qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog != nullptr && dialog->isVisible()) {
            ADD_FAILURE() << "a dialog stayed open: " << dialog->windowTitle().toStdString();
            dialog->done(-1);
        }
    });
}
