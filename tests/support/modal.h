// Answering modal dialogs from a test: the answer runs once the dialog is up, and a
// dialog still open after a few seconds is closed, so that a test never hangs.
#pragma once

#include <QApplication>
#include <QDialog>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <utility>

// The pending answer to the next modal dialog. Its two timers, the poll that looks for
// the dialog and the close that ends a dialog left open, are members: the scope that holds
// the guard ends them, so that neither runs on into a later test with the locals its
// answer captured gone.
class MODALANSWER {
public:
    explicit MODALANSWER(std::function<void(QDialog*)> answer)
        : answer(std::move(answer)), alreadyOpen(QApplication::activeModalWidget())
    {
        poll.setInterval(10);
        QObject::connect(&poll, &QTimer::timeout, &poll, [this] { Poll(); });
        poll.start();
        close.setSingleShot(true);
        close.setInterval(5000);
        QObject::connect(&close, &QTimer::timeout, &close, [] { CloseLeftOpen(); });
        close.start();
    }

    // The timers' slots reach this object: it stays where it was built.
    MODALANSWER(const MODALANSWER&) = delete;
    MODALANSWER& operator=(const MODALANSWER&) = delete;

private:
    void Poll()
    {
        // The dialog that was open when the guard was made (the main window, run modally)
        // is not the next one: a poll that comes before the next one opens must wait.
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (dialog == nullptr || dialog == alreadyOpen || !dialog->isVisible())
            return;
        poll.stop();
        answer(dialog);
    }

    static void CloseLeftOpen()
    {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            ADD_FAILURE() << "a dialog stayed open: " << dialog->windowTitle().toStdString();
            dialog->done(-1);
        }
    }

    std::function<void(QDialog*)> answer;
    const QWidget* alreadyOpen;
    QTimer poll;
    QTimer close;
};

// Runs answer with the modal dialog as soon as one is open, for as long as the returned
// guard lives: hold it in the scope that opens the dialog.
[[nodiscard]] inline MODALANSWER WhenModal(std::function<void(QDialog*)> answer)
{
    return MODALANSWER(std::move(answer));
}
