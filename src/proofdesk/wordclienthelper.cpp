#include "wordclienthelper.h"

#include "checkerclient.h"
#include "editorname.h"
#include "wordhelper.h"
#include "wordpane.h"

WordClientHelper::~WordClientHelper()
{
    // Each helper takes its marks out of its document as it goes.
    currentWordHelper.reset();
    wordHelpers.clear();
}

QSharedPointer<WordHelper> WordClientHelper::getWordHelper(QSharedPointer<EditorParam> param) const
{
    if (!param || !param->isMsaaValid())
        return nullptr;
    return wordHelpers.value(param->hwnd);
}

void WordClientHelper::setForegroundEditor()
{
    HWND found = findWordPaneUnder(GetForegroundWindow());
    if (!found)
        return;
    auto param = QSharedPointer<EditorParam>::create();
    param->hwnd = found;
    IAccessible* acc = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(found, DWORD(OBJID_CLIENT), IID_IAccessible,
                                             reinterpret_cast<void**>(&acc))) && acc) {
        param->setAcc(acc);
        acc->Release();
    }
    focusChanged(param);
}

QString WordClientHelper::getCurrentPageText(QSharedPointer<EditorParam> param, bool viaClipboard)
{
    QSharedPointer<WordHelper> helper = getWordHelper(param);
    return helper ? helper->getCurrentPageText(viaClipboard) : QString();
}

QString WordClientHelper::getAllPageText(QSharedPointer<EditorParam> param, bool viaClipboard)
{
    QSharedPointer<WordHelper> helper = getWordHelper(param);
    return helper ? helper->getAllPageText(viaClipboard) : QString();
}

QString WordClientHelper::getNextPageText(QSharedPointer<EditorParam> param, bool viaClipboard, int count)
{
    QSharedPointer<WordHelper> helper = getWordHelper(param);
    return helper ? helper->getNextPageText(viaClipboard, count) : QString();
}

bool WordClientHelper::focusChanged(QSharedPointer<EditorParam> param)
{
    if (!param || !param->isMsaaValid() || !isWordPane(param->hwnd))
        return false;
    QSharedPointer<WordHelper> helper = wordHelpers.value(param->hwnd);
    if (!helper) {
        helper = QSharedPointer<WordHelper>::create();
        // An application that cannot be reached now may answer at the pane's next focus.
        if (!helper->attach(param->hwnd))
            return false;
        wordHelpers.insert(param->hwnd, helper);
    }
    currentWordHelper = helper;
    curDocument = param;
    const QString name = editorWindowTitle(param->hwnd);
    helper->setTitle(name);
    emit editorDetected(this, name, param);
    return true;
}

bool WordClientHelper::hasData(QSharedPointer<EditorParam> param)
{
    QSharedPointer<WordHelper> helper = getWordHelper(param);
    return helper && helper->hasData();
}

bool WordClientHelper::canShowErrors(QSharedPointer<EditorParam>)
{
    return true;
}

void WordClientHelper::showErrors(const std::vector<std::shared_ptr<CheckData>>& datas,
                                  QSharedPointer<EditorParam> param, const QVector<int>& indexes)
{
    if (QSharedPointer<WordHelper> helper = getWordHelper(param))
        helper->showErrors(datas, indexes);
}

void WordClientHelper::reportError(QSharedPointer<EditorParam> param)
{
    if (QSharedPointer<WordHelper> helper = getWordHelper(param)) {
        helper->reportError();
        return;
    }
    if (CheckerClient* client = getCheckerClient()) {
        QString errorText;
        QString sentence;
        client->reportError(errorText, sentence);
    }
}

std::vector<std::shared_ptr<CheckData>>* WordClientHelper::getCheckDatas(QSharedPointer<EditorParam> param)
{
    QSharedPointer<WordHelper> helper = getWordHelper(param);
    return helper ? helper->getCheckDatas() : nullptr;
}

void WordClientHelper::clearErrors(QSharedPointer<EditorParam> param)
{
    if (QSharedPointer<WordHelper> helper = getWordHelper(param))
        helper->clearErrors(false);
}

bool WordClientHelper::nextError(QSharedPointer<EditorParam> param)
{
    QSharedPointer<WordHelper> helper = getWordHelper(param);
    return helper && helper->onNext();
}

bool WordClientHelper::prevError(QSharedPointer<EditorParam> param)
{
    QSharedPointer<WordHelper> helper = getWordHelper(param);
    return helper && helper->onPrev();
}

void WordClientHelper::enableErrorTip(bool enable)
{
    ClientHelper::enableErrorTip(enable);
    for (const QSharedPointer<WordHelper>& helper : qAsConst(wordHelpers))
        helper->enableErrorTip(enable);
}

bool WordClientHelper::canShowErrorList(QSharedPointer<EditorParam>)
{
    return true;
}

bool WordClientHelper::showErrorList(QSharedPointer<EditorParam> param)
{
    QSharedPointer<WordHelper> helper = getWordHelper(param);
    return helper && helper->showErrorList();
}
