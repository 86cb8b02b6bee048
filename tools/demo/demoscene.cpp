#include "demoscene.h"

#include <QPlainTextEdit>

#include "demowindow.h"
#include "sampledocument.h"

DemoScene::DemoScene(QObject* parent) : QObject(parent)
{
    app = sim::createWordApp();
    const SampleDocument sample = sampleDocument();
    DemoWindow* window = openDocument(sample.text, sample.pageStarts);
    window->showStatus(tr("Click into the text, then check the page (floating button, its \u25BE menu or "
                          "Ctrl+Shift+C); move the caret onto a wavy underline for suggestions."));
}

DemoScene::~DemoScene()
{
    closeWindows();
    sim::quitWordApp(app);
}

void DemoScene::closeWindows()
{
    for (const QPointer<DemoWindow>& window : shown)
        delete window.data();
    shown.clear();
}

QList<DemoWindow*> DemoScene::windows() const
{
    QList<DemoWindow*> out;
    for (const QPointer<DemoWindow>& window : shown) {
        if (window)
            out.append(window);
    }
    return out;
}

DemoWindow* DemoScene::openDocument(const std::u16string& text, const std::vector<int>& pageStarts)
{
    sim::WordDocSpec setup;
    setup.text = text;
    setup.pageStarts = pageStarts;
    setup.activate = false;                   // the window's focus makes it the foreground
    const sim::WordDocId doc = sim::openWordDocument(app, setup);
    auto* window = new DemoWindow(doc);
    connect(window, &DemoWindow::newDocumentRequested, this, [this] { openDocument(); });
    shown.append(window);
    window->move(80 + 30 * (shown.size() - 1), 80 + 30 * (shown.size() - 1));
    window->show();
    window->activateWindow();
    window->editor()->setFocus(Qt::OtherFocusReason);
    return window;
}
