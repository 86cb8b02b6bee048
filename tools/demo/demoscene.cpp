#include "demoscene.h"

#include <QPlainTextEdit>

#include "checkerclient.h"
#include "clienthelper.h"
#include "config.h"
#include "demowindow.h"
#include "editormanager.h"
#include "sampledocument.h"
#include "settingkeys.h"

DemoScene::DemoScene(QObject* parent) : QObject(parent)
{
    app = sim::createWordApp();
    const SampleDocument sample = sampleDocument();
    DemoWindow* window = openDocument(sample.text, sample.pageStarts);
    window->showStatus(tr("Click into the text, then \"Check current page\"; move the caret onto a wavy "
                          "underline for suggestions."));
}

DemoScene::~DemoScene()
{
    closeWindows();
    sim::quitWordApp(app);
}

void DemoScene::closeWindows()
{
    QObject::disconnect(pendingCheck);
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
    sim::WordDocSpec spec;
    spec.text = text;
    spec.pageStarts = pageStarts;
    spec.activate = false;                   // the window's focus makes it the foreground
    const sim::WordDocId doc = sim::openWordDocument(app, spec);
    auto* window = new DemoWindow(doc);
    connect(window, &DemoWindow::newDocumentRequested, this, [this] { openDocument(); });
    connect(window, &DemoWindow::checkRequested, this, &DemoScene::checkCurrentPage);
    shown.append(window);
    window->move(80 + 30 * (shown.size() - 1), 80 + 30 * (shown.size() - 1));
    window->show();
    window->activateWindow();
    window->editor()->setFocus(Qt::OtherFocusReason);
    return window;
}

void DemoScene::checkCurrentPage()
{
    EditorManager* manager = getEditorManager();
    CheckerClient* client = getCheckerClient();
    ClientHelper* helper = manager ? manager->getActiveHelper() : nullptr;
    const QSharedPointer<EditorParam> param = manager ? manager->getActiveEditorParam() : nullptr;
    if (!helper || !param || !client) {
        report(tr("No editor has been taken yet: click into the document first."));
        return;
    }
    QString text = helper->getCurrentPageText(param, false);
    if (text.isEmpty()) {
        report(tr("The active editor gave no text to check."));
        return;
    }
    QObject::disconnect(pendingCheck);
    pendingCheck = connect(client, &CheckerClient::checkDone, this, [this, helper, param](const CHECK_DATAS& results) {
        QObject::disconnect(pendingCheck);
        ClientHelper* current = getEditorManager() ? getEditorManager()->getActiveHelper() : nullptr;
        if (current != helper)
            return;                                  // the tracker went away meanwhile
        helper->showErrors(results, param, {});
        const Config* config = GetConfig();
        if (config && config->getValueBool(QLatin1String(SettingKeys::ShowErrorList), false) && helper->canShowErrorList(param))
            helper->showErrorList(param);
        report(tr("%n finding(s) on this page.", nullptr, static_cast<int>(results.size())));
    });
    if (!client->checkText(text)) {
        QObject::disconnect(pendingCheck);
        report(tr("The check could not start."));
    }
}

void DemoScene::report(const QString& text)
{
    for (DemoWindow* window : windows())
        window->showStatus(text);
}
