#pragma once

#include <QMetaType>
#include <QSharedPointer>
#include <QString>

#include "accessible.h"
#include "proofkit_export.h"
#include "uiautomation.h"
#include "window.h"

// What we know of a focused editor in another program, and the handles used to read it. Passed
// around as QSharedPointer, since the manager, trackers and windows all hold on to it.
class PROOFKIT_EXPORT EditorParam
{
public:
    EditorParam() = default;
    EditorParam(const EditorParam& other);
    EditorParam& operator=(const EditorParam& other);
    ~EditorParam();

    // Forgets window, child, name and accessible object; the UI Automation element is kept.
    void clear();

    IAccessiblePtr getAcc() const;
    void setAcc(IAccessiblePtr object);
    IUIAutomationElementPtr getUiaElement() const;
    void setUiaElement(IUIAutomationElementPtr element);

    bool isMsaaValid() const;
    bool isUiaValid() const;

    // Same window, same child and the same COM object behind the accessible pointers.
    bool operator==(const EditorParam& other) const;
    bool operator!=(const EditorParam& other) const { return !(*this == other); }
    bool operator<(const EditorParam& other) const;

    HWND hwnd = nullptr;
    LONG childId = 0;
    QString exeName;
    IAccessiblePtr acc;
    IUIAutomationElementPtr uiaElement;
};

Q_DECLARE_METATYPE(QSharedPointer<EditorParam>)
