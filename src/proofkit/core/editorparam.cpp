#include "editorparam.h"

EditorParam::EditorParam(const EditorParam& other)
    : hwnd(other.hwnd), childId(other.childId), exeName(other.exeName), acc(other.acc), uiaElement(other.uiaElement)
{
}

EditorParam& EditorParam::operator=(const EditorParam& other)
{
    if (this == &other)
        return *this;
    clear();
    hwnd = other.hwnd;
    childId = other.childId;
    exeName = other.exeName;
    acc = other.acc;
    uiaElement = other.uiaElement;
    return *this;
}

EditorParam::~EditorParam()
{
    clear();
    uiaElement.Release();
}

void EditorParam::clear()
{
    if (acc) {
        // The object of a window that is gone belongs to a program that may have ended; calling
        // into it could hang, so the reference is abandoned instead of released.
        if (IsWindow(hwnd))
            acc.Release();
        else
            acc.Detach();
    }
    hwnd = nullptr;
    childId = 0;
    exeName.clear();
}

IAccessiblePtr EditorParam::getAcc() const
{
    return acc;
}

void EditorParam::setAcc(IAccessiblePtr object)
{
    acc = std::move(object);
}

IUIAutomationElementPtr EditorParam::getUiaElement() const
{
    return uiaElement;
}

void EditorParam::setUiaElement(IUIAutomationElementPtr element)
{
    uiaElement = std::move(element);
}

bool EditorParam::isMsaaValid() const
{
    return hwnd && acc;
}

bool EditorParam::isUiaValid() const
{
    return static_cast<bool>(uiaElement);
}

bool EditorParam::operator==(const EditorParam& other) const
{
    return hwnd == other.hwnd && childId == other.childId
           && IsSameComObject(acc.GetInterfacePtr(), other.acc.GetInterfacePtr());
}

bool EditorParam::operator<(const EditorParam& other) const
{
    return reinterpret_cast<uintptr_t>(hwnd) < reinterpret_cast<uintptr_t>(other.hwnd);
}
