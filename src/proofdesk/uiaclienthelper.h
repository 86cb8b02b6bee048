#pragma once

#include "clienthelper.h"
#include "uiautomation.h"

// Takes a focused editor when UI Automation finds a text pattern for it, on the focused element or
// on the element of its subtree nearest to the focused object; reads the whole document text
// through the pattern. It keeps no results and cannot mark errors.
class UIAClientHelper : public ClientHelper
{
    Q_OBJECT
public:
    UIAClientHelper();

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

private:
    IUIAutomationElementPtr getElement(const EditorParam& param);
    bool findTextPattern(const EditorParam& param, IUIAutomationElementPtr element,
                         IUIAutomationTextPatternPtr& pattern, IUIAutomationElementPtr& textElement);
    IUIAutomationElementPtr findNearestTextElement(const EditorParam& param, IUIAutomationElementPtr root);
    bool getTextPattern(QSharedPointer<EditorParam> param, IUIAutomationTextPatternPtr& pattern,
                        IUIAutomationElementPtr& textElement);

    IUIAutomationPtr automation;
    IUIAutomationTextPatternPtr cachedTextPattern;
    IUIAutomationElementPtr cachedTextElement;
};
