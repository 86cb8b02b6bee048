#pragma once

#include <QObject>

class QSocketNotifier;

// Ends the event loop normally on SIGINT and SIGTERM (a closing session or terminal), so the
// program's shut-down runs instead of the process being killed mid-way.
class SignalQuit : public QObject
{
    Q_OBJECT
public:
    explicit SignalQuit(QObject* parent = nullptr);
    ~SignalQuit() override;

private:
    void onSignal();

    QSocketNotifier* notifier = nullptr;
};
