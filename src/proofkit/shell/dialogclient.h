#pragma once

#include <QSharedPointer>
#include <QWidget>

#include "checkdata.h"
#include "editorparam.h"
#include "proofkit_export.h"
#include "winevent.h"

namespace Ui { class DialogClient; }
class ClientHelper;

// Exported tool window a host program can embed: rows of command buttons plus a status line about
// the tracked editor and the last check's count.
class PROOFKIT_EXPORT DialogClient : public QWidget
{
    Q_OBJECT
public:
    explicit DialogClient(QWidget* parent = nullptr);
    ~DialogClient() override;

public slots:
    void checkDone(const CHECK_DATAS& datas);
    void editorDetected(ClientHelper* pHelper, QString editorName, QSharedPointer<EditorParam> param);
    void winEventProc(IUnknown* acc, HWINEVENTHOOK hook, DWORD event, HWND hwnd, LONG idObject, LONG idChild,
                      DWORD idEventThread, DWORD dwmsEventTime, bool focusChanged);
    void on_btnCheckCurrentPage_clicked();
    void on_btnCheckNext10Pages_clicked();
    void on_btnExpand_clicked();
    void on_btnRemoveAll_clicked();
    void on_btnPrevious_clicked();
    void on_btnNext_clicked();
    void on_cbxShowErrorTip_clicked(bool checked);
    void on_cbxShowDictTip_clicked(bool checked);
    void on_btnUser_clicked();
    void on_btnLogin_clicked();
    void on_btnContact_clicked();
    void on_btnAbout_clicked();
    void on_btnWeb_clicked();
    void on_btnUpdate_clicked();
    void on_btnReportError_clicked();
    void on_btnPin_clicked(bool checked);
    void on_btnSetting_clicked();

protected:
    void upateUI();
    void updateErrors();
    void updateUser();
    void showMsg(QString text);
    void login();
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    bool editorValid(const QSharedPointer<EditorParam>& editor) const;
    void startCheck(const QString& text, bool currentPage, const QString& emptyMessage);

    Ui::DialogClient* ui = nullptr;
    ClientHelper* tracker = nullptr;
    QSharedPointer<EditorParam> param;
    QSharedPointer<EditorParam> checkedParam;
    QString editorName;
};
