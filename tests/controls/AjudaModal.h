#pragma once

#include <functional>
#include <memory>

#include <QApplication>
#include <QTimer>
#include <QWidget>

// Runs `accao` on the modal window of type T once it is up (the code under test is blocked in
// its exec()). Gives up after about two seconds, closing whatever modal window is open.
template <class T> void QuandoModal(std::function<void(T*)> accao, int tentativas = 200)
{
    QTimer::singleShot(tentativas == 200 ? 0 : 10, [accao, tentativas] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget())) {
            accao(w);
            return;
        }
        if (tentativas > 0) {
            QuandoModal<T>(accao, tentativas - 1);
            return;
        }
        if (QWidget* w = QApplication::activeModalWidget()) w->close();
    });
}
