#pragma once

#include <QRect>
#include <QString>

#include "checkdata.h"
#include "proofkit_export.h"
#include "qframelesswindow.h"

namespace Ui { class ContextShow; }

// Pop-up next to a flagged spot in the user's text, listing what was found there. Like the list
// window it changes no text: the owner acts on its signals.
class PROOFKIT_EXPORT ContextShow : public QFramelessWindow
{
    Q_OBJECT
public:
    explicit ContextShow(QWidget* parent = nullptr);
    ~ContextShow() override;

    // Lists the errors of datas whose words occur in text; true when at least one was listed.
    bool showCheckData(const CHECK_DATAS& datas, const QString& text);
    // Places the pop-up beside errorRect (screen coordinates): above it, else right, else left.
    void move(int x, int y, QRect& errorRect);
    using QWidget::move;
    void enableUndo(bool enable);
    void clear();

signals:
    void apply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    bool undo();
    bool next();
    bool prev();
    void hideDialog();
    void addToDict();
    void reportError();
    void ignoreAll();
    void ignoreOnce();

protected:
    void showMsg(QString msg, QString toolTip);
    void showEvent(QShowEvent* event) override;

private slots:
    void on_widgetErrorList_apply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    void on_btnHide_clicked();
    bool on_btnUndo_clicked();
    void on_btnNext_clicked();
    void on_btnPrev_clicked();
    void on_actionAddToDict_triggered();
    void on_actionReportError_triggered();
    void on_actionIgnoreAll_triggered();
    void on_actionIgnoreOnce_triggered();
    void on_widgetErrorList_maxHeightChanged(int maxHeight, int maxWidth);
    void on_labelMsg_linkActivated(const QString& link);

private:
    void placeAt(int x, int y);

    Ui::ContextShow* ui = nullptr;
};

// Opens a pop-up of its own that deletes itself when closed.
PROOFKIT_EXPORT void showContextShow(QWidget* parent);
