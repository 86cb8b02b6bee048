#pragma once

#include <QDialog>

#include "proofkit_export.h"
#include "urls.h"

namespace Ui { class DialogWeb; }
class LoadingOverlay;
class MyQWebEnginePage;
class QWebEngineView;

// Hosts the service's own web pages (account, VIP upgrade) in a browser view, covered by a
// "Loading..." overlay until the page has arrived.
class PROOFKIT_EXPORT DialogWeb : public QDialog
{
    Q_OBJECT
public:
    explicit DialogWeb(QWidget* parent = nullptr);
    ~DialogWeb() override;

    void load(QString url);
    void load(_URL_ID id);
    QWebEngineView* webView() const;
    MyQWebEnginePage* webPage() const;
    LoadingOverlay* loadingOverlay() const;

public slots:
    void reload();
    void showOverlay();
    void hideOverlay();
    void titleChanged(const QString& title);
    void windowCloseRequested();
    // Runs the client's login, then shows the page again with the new account.
    void loginAndReload();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    Ui::DialogWeb* ui = nullptr;
    QWebEngineView* view = nullptr;
    LoadingOverlay* overlay = nullptr;
    int urlId = -1;
    bool closeRequested = false;
    MyQWebEnginePage* page = nullptr;
};
