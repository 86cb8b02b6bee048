#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

#include "sim/word.h"

class DemoWindow;

// The demonstration: a simulated word processor holding the sample document, each document shown
// in a window of its own.
class DemoScene : public QObject
{
    Q_OBJECT
public:
    explicit DemoScene(QObject* parent = nullptr);
    ~DemoScene() override;

    sim::WordAppId application() const { return app; }
    QList<DemoWindow*> windows() const;
    // Windows must go while the application still exists; the word processor stays running so
    // that the tracker can still take its marks away when it ends.
    void closeWindows();

public slots:
    DemoWindow* openDocument(const std::u16string& text = {}, const std::vector<int>& pageStarts = {});

private:
    sim::WordAppId app = 0;
    QList<QPointer<DemoWindow>> shown;
};
