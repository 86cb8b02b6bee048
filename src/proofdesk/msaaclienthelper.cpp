#include "msaaclienthelper.h"

#include "checkerclient.h"
#include "editorname.h"

namespace {
VARIANT childOf(const EditorParam& param)
{
    VARIANT child;
    child.vt = VT_I4;
    child.lVal = param.childId;
    return child;
}
}

QString MSAAClientHelper::getCurrentPageText(QSharedPointer<EditorParam> param, bool)
{
    if (!param)
        return QString();
    IAccessiblePtr acc = param->getAcc();
    if (!acc)
        return QString();
    BSTR value = nullptr;
    QString text;
    if (acc->get_accValue(childOf(*param), &value) == S_OK && value)
        text = QString::fromUtf16(value, static_cast<int>(SysStringLen(value)));
    SysFreeString(value);
    return text;
}

bool MSAAClientHelper::focusChanged(QSharedPointer<EditorParam> param)
{
    if (!param || !param->isMsaaValid())
        return false;
    VARIANT role;
    const HRESULT hr = param->getAcc()->get_accRole(childOf(*param), &role);
    const bool isText = hr == S_OK && role.vt == VT_I4 && role.lVal == ROLE_SYSTEM_TEXT;
    VariantClear(&role);
    if (!isText)
        return false;
    curDocument = param;
    emit editorDetected(this, editorWindowTitle(param->hwnd), param);
    return true;
}

void MSAAClientHelper::reportError(QSharedPointer<EditorParam>)
{
    if (CheckerClient* client = getCheckerClient()) {
        QString errorText;
        QString sentence;
        client->reportError(errorText, sentence);
    }
}

QRect MSAAClientHelper::getEditRect(QSharedPointer<EditorParam> param)
{
    if (!param || !param->isMsaaValid())
        return QRect();
    LONG left = 0, top = 0, width = 0, height = 0;
    if (FAILED(param->getAcc()->accLocation(&left, &top, &width, &height, childOf(*param))))
        return QRect();
    return QRect(left, top, width, height);
}
