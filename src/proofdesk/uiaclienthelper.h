#pragma once

#include "clienthelper.h"
#include "uiautomation.h"

// Takes a focused editor when UI Automation finds a text pattern for it, on the focused element or
// on the element of its subtree nearest to the focused object; reads the whole document text
// through the pattern. It keeps no results and cannot mark errors: those operations keep the base
// class's neutral answers.
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
