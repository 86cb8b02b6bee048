#pragma once

#include "clienthelper.h"

// Takes any focused object that MSAA describes as editable text: reads its whole value and reports
// its screen rectangle. It keeps no results and cannot mark errors: those operations keep the base
// class's neutral answers.
class MSAAClientHelper : public ClientHelper
{
    Q_OBJECT
public:
    MSAAClientHelper() = default;

    QString getCurrentPageText(QSharedPointer<EditorParam> param, bool viaClipboard) override;
    bool focusChanged(QSharedPointer<EditorParam> param) override;
    void reportError(QSharedPointer<EditorParam> param) override;
    QRect getEditRect(QSharedPointer<EditorParam> param) override;
};
