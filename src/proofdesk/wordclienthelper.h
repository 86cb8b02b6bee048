#pragma once

#include <QMap>
#include <QSharedPointer>

#include "clienthelper.h"
#include "window.h"

class WordHelper;

// Takes the document pane of the word processor (window class "_WwG") before the general trackers
// see it, keeps one document helper per pane and forwards every operation on that pane to it. The
// only tracker that marks errors in the editor, keeps results and has an error list of its own.
class WordClientHelper : public ClientHelper
{
    Q_OBJECT
public:
    WordClientHelper() = default;
    ~WordClientHelper() override;

    QSharedPointer<WordHelper> getWordHelper(QSharedPointer<EditorParam> param) const;

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
    void enableErrorTip(bool enable) override;
    bool canShowErrorList(QSharedPointer<EditorParam> param) override;
    bool showErrorList(QSharedPointer<EditorParam> param) override;

private:
    QMap<HWND, QSharedPointer<WordHelper>> wordHelpers;
    QSharedPointer<WordHelper> currentWordHelper;
};
