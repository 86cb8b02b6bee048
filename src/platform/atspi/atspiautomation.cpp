#include "atspiautomation.h"

#include <atspi/atspi.h>

#include <chrono>
#include <vector>

#include "atspiaccessible.h"
#include "atspidesktop.h"
#include "atspiquery.h"

namespace atspi_detail {
namespace {

constexpr int walkMaxDepth = 16;
constexpr int walkMaxObjects = 1000;
constexpr auto walkMaxTime = std::chrono::seconds(1);

// Holds one reference to a bus object; made and dropped with the bus lock held.
class BusRef
{
public:
    explicit BusRef(AtspiAccessible* accessible) : object(static_cast<AtspiAccessible*>(g_object_ref(accessible))) {}
    BusRef(const BusRef&) = delete;
    BusRef& operator=(const BusRef&) = delete;
    ~BusRef()
    {
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        g_object_unref(object);
    }
    AtspiAccessible* get() const { return object; }

private:
    AtspiAccessible* object;
};

class Condition : public ComObject<IUIAutomationCondition>
{
public:
    Condition(PROPERTYID property, const VARIANT& value) : property(property) { VariantCopy(&this->value, &value); }

    // With the bus lock held.
    bool accepts(AtspiAccessible* accessible) const
    {
        if (property == UIA_IsTextPatternAvailablePropertyId)
            return value.vt == VT_BOOL && (value.boolVal != VARIANT_FALSE) == isEditableText(accessible);
        return false;
    }

protected:
    ~Condition() override { VariantClear(&value); }

private:
    PROPERTYID property;
    VARIANT value;
};

class TextRange : public ComObject<IUIAutomationTextRange>
{
public:
    explicit TextRange(AtspiAccessible* accessible) : object(accessible) {}

    HRESULT GetText(int maxLength, BSTR* text) override
    {
        if (!text || maxLength < -1)
            return E_INVALIDARG;
        *text = nullptr;
        QString whole;
        {
            AtspiDesktop::Lock held = AtspiDesktop::lock();
            // The pattern exists only for objects found to be no password field.
            if (!readText(object.get(), whole, true))
                return E_FAIL;
        }
        if (maxLength >= 0 && whole.size() > maxLength)
            whole.truncate(maxLength);
        *text = SysAllocStringLen(reinterpret_cast<const OLECHAR*>(whole.utf16()), static_cast<UINT>(whole.size()));
        return S_OK;
    }

private:
    BusRef object;
};

class TextPattern : public ComObject<IUIAutomationTextPattern>
{
public:
    explicit TextPattern(AtspiAccessible* accessible) : object(accessible) {}

    HRESULT get_DocumentRange(IUIAutomationTextRange** range) override
    {
        if (!range)
            return E_INVALIDARG;
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        *range = new TextRange(object.get());
        return S_OK;
    }

private:
    BusRef object;
};

IUIAutomationElement* newElement(AtspiAccessible* accessible);

class ElementArray : public ComObject<IUIAutomationElementArray>
{
public:
    // Takes over one reference to each accessible.
    explicit ElementArray(std::vector<AtspiAccessible*> found) : found(std::move(found)) {}

    HRESULT get_Length(int* length) override
    {
        if (!length)
            return E_INVALIDARG;
        *length = static_cast<int>(found.size());
        return S_OK;
    }

    HRESULT GetElement(int index, IUIAutomationElement** element) override
    {
        if (!element)
            return E_INVALIDARG;
        *element = nullptr;
        if (index < 0 || index >= static_cast<int>(found.size()))
            return E_INVALIDARG;
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        *element = newElement(found[index]);
        return S_OK;
    }

protected:
    ~ElementArray() override
    {
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        for (AtspiAccessible* accessible : found)
            g_object_unref(accessible);
    }

private:
    std::vector<AtspiAccessible*> found;
};

// Document order, within the depth, count and time limits; with the bus lock held.
class SubtreeWalk
{
public:
    SubtreeWalk(TreeScope scope, const Condition& condition) : scope(scope), condition(condition) {}

    std::vector<AtspiAccessible*> run(AtspiAccessible* root)
    {
        visit(root, 0);
        return std::move(found);
    }

private:
    bool exhausted() const
    {
        return visited >= walkMaxObjects || std::chrono::steady_clock::now() - started > walkMaxTime;
    }

    void visit(AtspiAccessible* node, int depth)
    {
        ++visited;
        const bool inScope = (depth == 0 && (scope & TreeScope_Element)) || (depth == 1 && (scope & TreeScope_Children))
                             || (depth >= 1 && (scope & TreeScope_Descendants));
        if (inScope && condition.accepts(node))
            found.push_back(static_cast<AtspiAccessible*>(g_object_ref(node)));
        if (depth >= walkMaxDepth || (depth >= 1 && !(scope & TreeScope_Descendants)) || managesDescendants(node))
            return;
        const gint count = atspi_accessible_get_child_count(node, nullptr);
        for (gint i = 0; i < count && !exhausted(); ++i) {
            AtspiAccessible* child = atspi_accessible_get_child_at_index(node, i, nullptr);
            if (!child)
                continue;
            visit(child, depth + 1);
            g_object_unref(child);
        }
    }

    static bool managesDescendants(AtspiAccessible* node)
    {
        AtspiStateSet* states = atspi_accessible_get_state_set(node);
        const bool manages = states && atspi_state_set_contains(states, ATSPI_STATE_MANAGES_DESCENDANTS);
        if (states)
            g_object_unref(states);
        return manages;
    }

    TreeScope scope;
    const Condition& condition;
    std::vector<AtspiAccessible*> found;
    int visited = 0;
    const std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

class Element : public ComObject<IUIAutomationElement>
{
public:
    explicit Element(AtspiAccessible* accessible) : object(accessible) {}

    HRESULT GetCurrentPatternAs(PATTERNID pattern, REFIID iid, void** result) override
    {
        if (!result)
            return E_INVALIDARG;
        *result = nullptr;
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        if (pattern != UIA_TextPatternId || !isEditableText(object.get()))
            return S_OK;
        IUIAutomationTextPattern* textPattern = new TextPattern(object.get());
        const HRESULT hr = textPattern->QueryInterface(iid, result);
        textPattern->Release();
        return hr;
    }

    HRESULT FindAll(TreeScope scope, IUIAutomationCondition* condition, IUIAutomationElementArray** found) override
    {
        if (!found || !condition)
            return E_INVALIDARG;
        *found = nullptr;
        auto* test = dynamic_cast<Condition*>(condition);
        if (!test)
            return E_INVALIDARG;
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        *found = new ElementArray(SubtreeWalk(scope, *test).run(object.get()));
        return S_OK;
    }

    HRESULT get_CurrentBoundingRectangle(RECT* rect) override
    {
        if (!rect)
            return E_INVALIDARG;
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        return extents(object.get(), *rect) ? S_OK : E_FAIL;
    }

    HRESULT get_CachedNativeWindowHandle(UIA_HWND* hwnd) override
    {
        if (!hwnd)
            return E_INVALIDARG;
        *hwnd = handle();
        return *hwnd ? S_OK : E_FAIL;
    }

    HRESULT GetCachedPropertyValue(PROPERTYID property, VARIANT* value) override
    {
        if (!value)
            return E_INVALIDARG;
        VariantInit(value);
        switch (property) {
        case UIA_NativeWindowHandlePropertyId:
            value->vt = VT_I4;
            value->lVal = static_cast<LONG>(reinterpret_cast<uintptr_t>(handle()));
            return S_OK;
        case UIA_IsTextPatternAvailablePropertyId: {
            AtspiDesktop::Lock held = AtspiDesktop::lock();
            value->vt = VT_BOOL;
            value->boolVal = isEditableText(object.get()) ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        }
        default:
            return E_INVALIDARG;
        }
    }

private:
    HWND handle() const
    {
        AtspiDesktop* desktop = AtspiDesktop::instance();
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        return desktop ? desktop->handleFor(object.get()) : nullptr;
    }

    BusRef object;
};

IUIAutomationElement* newElement(AtspiAccessible* accessible)
{
    return new Element(accessible);
}

class Automation : public ComObject<IUIAutomation>
{
public:
    HRESULT ElementFromIAccessible(IAccessible* accessible, int, IUIAutomationElement** element) override
    {
        if (!element || !accessible)
            return E_INVALIDARG;
        *element = nullptr;
        AtspiAccessibleObject* ours = AtspiAccessibleObject::from(accessible);
        if (!ours)
            return E_FAIL;
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        *element = newElement(ours->accessible());
        return S_OK;
    }

    HRESULT ElementFromHandle(UIA_HWND hwnd, IUIAutomationElement** element) override
    {
        if (!element)
            return E_INVALIDARG;
        *element = nullptr;
        AtspiDesktop* desktop = AtspiDesktop::owner(static_cast<HWND>(hwnd));
        if (!desktop)
            return E_INVALIDARG;
        AtspiDesktop::Lock held = AtspiDesktop::lock();
        AtspiAccessible* accessible = desktop->accessibleOf(static_cast<HWND>(hwnd));
        if (!accessible)
            return E_INVALIDARG;
        *element = newElement(accessible);
        return S_OK;
    }

    HRESULT CreatePropertyCondition(PROPERTYID property, VARIANT value, IUIAutomationCondition** condition) override
    {
        if (!condition)
            return E_INVALIDARG;
        *condition = new Condition(property, value);
        return S_OK;
    }
};

} // namespace

HRESULT createAutomation(REFIID iid, void** object)
{
    IUIAutomation* automation = new Automation;
    const HRESULT hr = automation->QueryInterface(iid, object);
    automation->Release();
    return hr;
}

} // namespace atspi_detail
