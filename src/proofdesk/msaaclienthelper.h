#pragma once

#include "clienthelper.h"

// Takes any focused object that MSAA describes as editable text: reads its whole value and reports
// its screen rectangle. It keeps no results and cannot mark errors.
class MSAAClientHelper : public ClientHelper
{
    Q_OBJECT
public:
    MSAAClientHelper() = default;

    void setForegroundEditor() override;
    QString getCurrentPageText(QSharedPointer<EditorParam> param, bool viaClipboard) override;
    QString getAllPageText(QSharedPointer<EditorParam> param, bool viaClipboard) override;
    QString getNextPageText(QSharedPointer<EditorParam> param, bool viaClipboard, int count) override;
    bool focusChanged(QSharedPointer<EditorParam> param) override;
    bool hasData(QSharedPointer<EditorParam> param) override;
    bool canShowErrors(QSharedPointer<EditorParam> param) override;
    void showErrors(const std::vector<std::shared_ptr<CheckData>>& datas, QSharedPointer<EditorParam> param,
                    const QVector<int>& indexes) override;
    void reportError(QSharedPointer<EditorParam> param) override;
    std::vector<std::shared_ptr<CheckData>>* getCheckDatas(QSharedPointer<EditorParam> param) override;
    void clearErrors(QSharedPointer<EditorParam> param) override;
    bool nextError(QSharedPointer<EditorParam> param) override;
    bool prevError(QSharedPointer<EditorParam> param) override;
    QRect getEditRect(QSharedPointer<EditorParam> param) override;
    bool canShowErrorList(QSharedPointer<EditorParam> param) override;
    bool showErrorList(QSharedPointer<EditorParam> param) override;
};
