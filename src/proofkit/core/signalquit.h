#pragma once

#include <QObject>

#include <functional>

#include "proofkit_export.h"

class QSocketNotifier;

// Ends the event loop normally on SIGINT and SIGTERM (a closing session or terminal), so the
// program's shut-down runs instead of the process being killed mid-way. A program that must ask
// first (unsaved work) gives its own handler instead.
class PROOFKIT_EXPORT SignalQuit : public QObject
{
    Q_OBJECT
public:
    explicit SignalQuit(QObject* parent = nullptr);
    explicit SignalQuit(std::function<void()> handler, QObject* parent = nullptr);
    ~SignalQuit() override;

private:
    void onSignal();

    QSocketNotifier* notifier = nullptr;
    std::function<void()> handler;
};
