#include "uiaclienthelper.h"

#include <climits>
#include <cstdlib>

#include "checkerclient.h"
#include "editorname.h"

namespace {
IUIAutomationTextPatternPtr textPatternOf(const IUIAutomationElementPtr& element)
{
    IUIAutomationTextPatternPtr pattern;
    if (FAILED(element->GetCurrentPatternAs(UIA_TextPatternId, IID_IUIAutomationTextPattern,
                                            reinterpret_cast<void**>(&pattern))))
        return nullptr;
    return pattern;
}
}

UIAClientHelper::UIAClientHelper()
{
    IUIAutomation* created = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_CUIAutomation, nullptr, CLSCTX_INPROC_SERVER, IID_IUIAutomation,
                                   reinterpret_cast<void**>(&created))))
        automation.Attach(created);
}

IUIAutomationElementPtr UIAClientHelper::getElement(const EditorParam& param)
{
    if (!automation)
        return nullptr;
    if (param.isUiaValid())
        return param.getUiaElement();
    IUIAutomationElementPtr element;
    if (IAccessiblePtr acc = param.getAcc()) {
        if (SUCCEEDED(automation->ElementFromIAccessible(acc, param.childId, &element)) && element)
            return element;
    }
    if (SUCCEEDED(automation->ElementFromHandle(param.hwnd, &element)) && element)
        return element;
    return nullptr;
}

bool UIAClientHelper::findTextPattern(const EditorParam& param, IUIAutomationElementPtr element,
                                      IUIAutomationTextPatternPtr& pattern, IUIAutomationElementPtr& textElement)
{
    if (!element)
        return false;
    if (IUIAutomationTextPatternPtr own = textPatternOf(element)) {
        pattern = own;
        textElement = element;
        return true;
    }
    IUIAutomationElementPtr nearest = findNearestTextElement(param, element);
    if (!nearest)
        return false;
    if (IUIAutomationTextPatternPtr found = textPatternOf(nearest)) {
        pattern = found;
        textElement = nearest;
        return true;
    }
    return false;
}

IUIAutomationElementPtr UIAClientHelper::findNearestTextElement(const EditorParam& param,
                                                                IUIAutomationElementPtr root)
{
    IAccessiblePtr acc = param.getAcc();
    if (!root || !acc || !automation)
        return nullptr;
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = param.childId;
    LONG refLeft = 0, refTop = 0, width = 0, height = 0;
    if (FAILED(acc->accLocation(&refLeft, &refTop, &width, &height, child)))
        return nullptr;

    VARIANT available;
    available.vt = VT_BOOL;
    available.boolVal = VARIANT_TRUE;
    IUIAutomationConditionPtr condition;
    if (FAILED(automation->CreatePropertyCondition(UIA_IsTextPatternAvailablePropertyId, available, &condition)))
        return nullptr;
    IUIAutomationElementArrayPtr found;
    int length = 0;
    if (FAILED(root->FindAll(TreeScope_Subtree, condition, &found)) || !found || FAILED(found->get_Length(&length)))
        return nullptr;

    // The editor inside a composite window is the candidate whose corner lies nearest the focused
    // object on both axes at once; a later candidate wins a tie. Only candidates in the focus count:
    // a field beside it (a toolbar's style box, say) holds text the user is not writing.
    IUIAutomationElementPtr best;
    IUIAutomationElementPtr first;
    long bestDx = LONG_MAX;
    long bestDy = LONG_MAX;
    for (int i = 0; i < length; ++i) {
        IUIAutomationElementPtr element;
        BOOL focused = FALSE;
        if (FAILED(found->GetElement(i, &element)) || !element
            || FAILED(element->get_CurrentHasKeyboardFocus(&focused)) || !focused)
            continue;
        if (!first)
            first = element;
        RECT rect;
        if (FAILED(element->get_CurrentBoundingRectangle(&rect)))
            continue;
        const long dx = std::labs(static_cast<long>(rect.left) - refLeft);
        const long dy = std::labs(static_cast<long>(rect.top) - refTop);
        if (dx <= bestDx && dy <= bestDy) {
            best = element;
            bestDx = dx;
            bestDy = dy;
        }
    }
    return best ? best : first;
}

bool UIAClientHelper::getTextPattern(QSharedPointer<EditorParam> param, IUIAutomationTextPatternPtr& pattern,
                                     IUIAutomationElementPtr& textElement)
{
    if (!param)
        return false;
    if (param == curDocument) {
        pattern = cachedTextPattern;
        textElement = cachedTextElement;
        return pattern && textElement;
    }
    return findTextPattern(*param, getElement(*param), pattern, textElement);
}

QString UIAClientHelper::getCurrentPageText(QSharedPointer<EditorParam> param, bool)
{
    IUIAutomationTextPatternPtr pattern;
    IUIAutomationElementPtr element;
    if (!getTextPattern(param, pattern, element))
        return QString();
    IUIAutomationTextRangePtr range;
    if (FAILED(pattern->get_DocumentRange(&range)) || !range)
        return QString();
    BSTR text = nullptr;
    QString result;
    if (SUCCEEDED(range->GetText(-1, &text)) && text)
        result = QString::fromUtf16(text, static_cast<int>(SysStringLen(text)));
    SysFreeString(text);
    return result;
}

bool UIAClientHelper::focusChanged(QSharedPointer<EditorParam> param)
{
    if (!param || (!param->isUiaValid() && !param->isMsaaValid()))
        return false;
    IUIAutomationTextPatternPtr pattern;
    IUIAutomationElementPtr element;
    if (!findTextPattern(*param, getElement(*param), pattern, element) || !pattern || !element)
        return false;
    cachedTextPattern = pattern;
    cachedTextElement = element;
    curDocument = param;
    emit editorDetected(this, editorWindowTitle(param->hwnd), param);
    return true;
}

void UIAClientHelper::reportError(QSharedPointer<EditorParam>)
{
    if (CheckerClient* client = getCheckerClient()) {
        QString errorText;
        QString sentence;
        client->reportError(errorText, sentence);
    }
}

QRect UIAClientHelper::getEditRect(QSharedPointer<EditorParam> param)
{
    IUIAutomationTextPatternPtr pattern;
    IUIAutomationElementPtr element;
    if (!getTextPattern(param, pattern, element))
        return QRect();
    RECT rect;
    if (FAILED(element->get_CurrentBoundingRectangle(&rect)))
        return QRect();
    return QRect(rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top);
}
