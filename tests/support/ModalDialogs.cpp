#include "ModalDialogs.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

void onNextModalDialog(std::function<void(QDialog*)> answer, QObject* owner)
{
    auto* timer = new QTimer(owner);
    timer->setInterval(5);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, answer] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        answer(dialog);
    });
    timer->start();
}
