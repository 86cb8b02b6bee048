#pragma once

#include "clienthelper.h"

// Tracks editors seen through MSAA: the focused object's value is the text, its location the
// rectangle. Read-only; marking results is left to the base class's "cannot".
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
