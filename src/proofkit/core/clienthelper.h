#pragma once

#include <QObject>
#include <QRect>
#include <QSharedPointer>
#include <QVector>
#include <memory>
#include <vector>

#include "editorparam.h"
#include "proofkit_export.h"

class CheckData;

// Interface of an editor tracker. focusChanged lets a tracker claim an editor; afterwards it is
// asked for that editor's text and given the results. Defaults answer "cannot", so a tracker
// overrides only what it supports and callers never ask which kind they hold.
class PROOFKIT_EXPORT ClientHelper : public QObject
{
    Q_OBJECT
public:
    ClientHelper();
    ~ClientHelper() override;

    QSharedPointer<EditorParam> getCurDocument() const;

    virtual void setForegroundEditor();
    virtual QString getCurrentPageText(QSharedPointer<EditorParam> param, bool viaClipboard);
    virtual QString getAllPageText(QSharedPointer<EditorParam> param, bool viaClipboard);
    virtual QString getNextPageText(QSharedPointer<EditorParam> param, bool viaClipboard, int count);
    // True when the tracker takes the editor; it then emits editorDetected before returning.
    virtual bool focusChanged(QSharedPointer<EditorParam> param);
    virtual bool hasData(QSharedPointer<EditorParam> param);
    virtual bool canShowErrors(QSharedPointer<EditorParam> param);
    virtual void showErrors(const std::vector<std::shared_ptr<CheckData>>& datas,
                            QSharedPointer<EditorParam> param, const QVector<int>& indexes);
    virtual void reportError(QSharedPointer<EditorParam> param);
    // Owned by the tracker; null when it keeps no results.
    virtual std::vector<std::shared_ptr<CheckData>>* getCheckDatas(QSharedPointer<EditorParam> param);
    virtual void clearErrors(QSharedPointer<EditorParam> param);
    virtual bool nextError(QSharedPointer<EditorParam> param);
    virtual bool prevError(QSharedPointer<EditorParam> param);
    virtual void enableErrorTip(bool enable);
    // Screen coordinates; a null rectangle when unknown.
    virtual QRect getEditRect(QSharedPointer<EditorParam> param);
    virtual bool canShowErrorList(QSharedPointer<EditorParam> param);
    virtual bool showErrorList(QSharedPointer<EditorParam> param);

signals:
    void editorDetected(ClientHelper* pHelper, QString editorName, QSharedPointer<EditorParam> editorParam);

protected:
    QSharedPointer<EditorParam> curDocument;
    bool errorTipEnabled = true;
};
