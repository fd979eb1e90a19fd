// Answers a modal dialog that is about to open: a timer polls for the active modal widget of the
// given type and acts on it (gives up after five seconds, so a test fails instead of hanging).
#pragma once

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>

namespace apptest {

template <class T>
void whenModal(std::function<void(T*)> act) {
    auto* timer = new QTimer;
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    QObject::connect(timer, &QTimer::timeout, [=] {
        if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()); w && w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            act(w);
        } else if (clock->elapsed() > 5000) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(10);
}

}  // namespace apptest
