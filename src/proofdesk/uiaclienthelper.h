#pragma once

#include "clienthelper.h"
#include "uiautomation.h"

// Tracks editors that offer a UI Automation text pattern, on the focused element or close below
// it and in the focus, and reads the document through it. Read-only, like the MSAA tracker.
class UIAClientHelper : public ClientHelper
{
    Q_OBJECT
public:
    UIAClientHelper();

    QString getCurrentPageText(QSharedPointer<EditorParam> param, bool viaClipboard) override;
    bool focusChanged(QSharedPointer<EditorParam> param) override;
    void reportError(QSharedPointer<EditorParam> param) override;
    QRect getEditRect(QSharedPointer<EditorParam> param) override;

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
