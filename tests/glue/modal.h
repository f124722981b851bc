// Answering modal dialogs from a test: the answer runs once the dialog is up, and a
// dialog still open after a few seconds is closed, so that a test never hangs.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// Runs answer with the modal dialog as soon as one is open.
inline void WhenModal(std::function<void(QDialog*)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || !dialog->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(dialog);
    });
    poll->start();

    QTimer::singleShot(5000, [] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "a dialog stayed open: " << dialog->windowTitle().toStdString();
            dialog->done(-1);
        }
    });
}
