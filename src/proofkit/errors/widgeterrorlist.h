#pragma once

#include <QString>

#include <memory>
#include <vector>

#include "basewidget.h"
#include "checkdata.h"
#include "proofkit_export.h"

namespace Ui { class WidgetErrorList; }
class CheckDataEx;
class ErrorsListGroup;

// Shows a whole check's results, in text order, with a type filter; lives inside the writer or
// floats on top (showAsDialog). It never edits text itself: the user's choices go out as signals.
class PROOFKIT_EXPORT WidgetErrorList : public BaseWidget
{
    Q_OBJECT
public:
    explicit WidgetErrorList(QWidget* parent = nullptr);
    ~WidgetErrorList() override;

    void setCheckData(const CHECK_DATAS& datas, const QString& name);
    void showAsDialog();

signals:
    void groupClicked(ErrorsListGroup* group);
    void apply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    void errorTypeChanged(int errorType);

protected:
    void savePostion();
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private slots:
    void on_btnExpand_clicked();
    void on_btnClose_clicked();
    void on_cmbErrorType_currentIndexChanged(int index);
    void onGroupClicked(ErrorsListGroup* group);
    void on_errorList_apply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    void on_labelVip_linkActivated(const QString& link);

private:
    void updateVipNotice();

    Ui::WidgetErrorList* ui = nullptr;
    std::vector<std::shared_ptr<CheckDataEx>> m_entries;
    bool m_shownAsWindow = false;
    QString m_baseTitle;
    bool m_placing = false;
};
