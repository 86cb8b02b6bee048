#pragma once

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <memory>

#include "checkerclient.h"

// Stands in for the client's message boxes: records each one and answers it at once.
struct BoxRecorder
{
    struct Box
    {
        QString text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };

    QList<Box> boxes;
    int answer = QMessageBox::Ok;

    void install(CheckerClient* client)
    {
        client->setMsgBoxHandler([this](const QString& text, QMessageBox::Icon icon,
                                        QMessageBox::StandardButtons buttons) {
            boxes.append({text, icon, buttons});
            return answer;
        });
    }

    QStringList texts() const
    {
        QStringList result;
        for (const Box& box : boxes)
            result << box.text;
        return result;
    }
};

// The first top-level window of type T (only a visible one if asked), or null.
template <typename T>
T* topLevel(bool visibleOnly = false)
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        auto* window = qobject_cast<T*>(widget);
        if (window && (window->isVisible() || !visibleOnly))
            return window;
    }
    return nullptr;
}

// Acts on the first visible top-level window of type T once it appears (a modal dialog that the
// code under test runs with exec()); gives up after five seconds.
template <typename T>
void whenShown(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, tries, act] {
        if (T* window = topLevel<T>(true)) {
            timer->stop();
            timer->deleteLater();
            act(window);
            return;
        }
        if (++*tries > 250) {
            timer->stop();
            timer->deleteLater();
        }
    });
    timer->start(20);
}
