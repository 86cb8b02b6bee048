#pragma once

#include "basewidget.h"
#include "checkdata.h"
#include "proofkit_export.h"

namespace Ui { class DialogWriter; }
class ErrorsListGroup;
class QIcon;
class QTimer;
class QToolButton;
class WidgetSpeak;

// The stand-alone writing window: an editor with its tool bar, search bar, history and error list,
// checked through the process-wide client, with the floating read-aloud panel.
class PROOFKIT_EXPORT DialogWriter : public BaseWidget
{
    Q_OBJECT
public:
    explicit DialogWriter(QWidget* parent = nullptr);
    ~DialogWriter() override;

    // Another program's text, put in as plain text and not counted as an edit.
    void setText(QString& text);
    void clear();
    bool findNextError(QString text);

public slots:
    void checkDone(const CHECK_DATAS& datas);
    void showStatusText(const CHECK_DATAS& datas);

    void on_btnSpeak_clicked();
    void on_btnOpen_clicked();
    void on_btnSave_clicked();
    void on_btnCheck_clicked();
    void on_btnPrevious_clicked();
    void on_btnNext_clicked();
    void on_btnRemoveAll_clicked();
    void on_btnHistory_clicked();
    void on_btnCopy_clicked();
    void on_btnErrorList_clicked();
    void on_btnSetting_clicked();
    void on_btnUser_clicked();
    void on_actionSearch_triggered(bool checked);
    void on_actionReplace_triggered(bool checked);
    void on_actionLogout_triggered(bool checked);
    void on_labelStatus_linkActivated(const QString& link);
    void on_widgetErrorList_groupClicked(ErrorsListGroup* group);
    void on_widgetErrorList_apply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    void on_widgetErrorList_errorTypeChanged(int errorType);
    void on_widgetErrorList_hideWidget();

    void speakStopAndHide();
    void settingMenuAboutToShow();
    void activateWindow(bool isActive);

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

    void updateUserButton();
    void createSettingMenu();
    void updateToolTip(QToolButton* button);

private:
    void setButton(QToolButton* button, const QIcon& icon, const char* shortcut);
    // Strikes out the list's group of a result no longer marked, and brings it back once it is.
    void showGroupHandled(int index);
    // The same for every group, once the text has changed.
    void showGroupsHandled();
    // The document gave way to another: what was found in the old one, or will be, is not its.
    void dropResults();

    Ui::DialogWriter* ui = nullptr;
    WidgetSpeak* widgetSpeak = nullptr;
    // A check this window started is running; results of other checks are not this window's.
    bool checkPending = false;
    // What that check was sent: its results count their positions in it.
    QString checkedText;
    // Edits come in bursts (typing, an undo of many steps): the groups are looked at once after them.
    QTimer* groupsTimer = nullptr;
    int seenRevision = -1;
};
