#include "dialogweb.h"
#include "ui_dialogweb.h"

#include <QCloseEvent>
#include <QWebEngineView>

#include "checkerclient.h"
#include "loadingoverlay.h"
#include "myqwebenginepage.h"

DialogWeb::DialogWeb(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint)
    , ui(new Ui::DialogWeb)
{
    ui->setupUi(this);
    overlay = new LoadingOverlay(this);
    page = new MyQWebEnginePage(this);
    connect(page, &QWebEnginePage::windowCloseRequested, this, &DialogWeb::windowCloseRequested);
    view = new QWebEngineView(this);
    view->setPage(page);
    ui->verticalLayout->addWidget(view);
    connect(view, &QWebEngineView::loadStarted, this, &DialogWeb::showOverlay);
    connect(view, &QWebEngineView::loadFinished, this, &DialogWeb::hideOverlay);
    connect(view, &QWebEngineView::titleChanged, this, &DialogWeb::titleChanged);
}

DialogWeb::~DialogWeb()
{
    // The page has no parent; the view must let go of it before it goes.
    delete view;
    view = nullptr;
    delete page;
    delete ui;
}

QWebEngineView* DialogWeb::webView() const
{
    return view;
}

MyQWebEnginePage* DialogWeb::webPage() const
{
    return page;
}

LoadingOverlay* DialogWeb::loadingOverlay() const
{
    return overlay;
}

void DialogWeb::load(QString url)
{
    if (!view)
        return;
    view->load(QUrl(url, QUrl::TolerantMode));
    show();
}

void DialogWeb::load(_URL_ID id)
{
    urlId = id;
    CheckerClient* client = getCheckerClient();
    if (view && client)
        load(client->getWebUrl(id, QString()));
}

void DialogWeb::reload()
{
    // An account page is built again so that it carries the current tokens.
    if (urlId < 0) {
        if (view)
            view->reload();
        return;
    }
    load(static_cast<_URL_ID>(urlId));
}

void DialogWeb::loginAndReload()
{
    CheckerClient* client = getCheckerClient();
    if (client && client->showLogin(0) == 2)
        reload();
}

void DialogWeb::showOverlay()
{
    overlay->setGeometry(rect());
    overlay->show();
    overlay->raise();
}

void DialogWeb::hideOverlay()
{
    overlay->hide();
}

void DialogWeb::titleChanged(const QString& title)
{
    setWindowTitle(title);
}

void DialogWeb::windowCloseRequested()
{
    closeRequested = true;
    close();
}

void DialogWeb::resizeEvent(QResizeEvent* event)
{
    overlay->setGeometry(rect());
    QDialog::resizeEvent(event);
}

void DialogWeb::closeEvent(QCloseEvent* event)
{
    if (closeRequested || !view) {
        QDialog::closeEvent(event);
        return;
    }
    // The page may want to run its unload handlers first; it answers with windowCloseRequested.
    page->triggerAction(QWebEnginePage::RequestClose);
    event->ignore();
}
