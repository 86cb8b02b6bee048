#include "atspiautomation.h"

#include <atspi/atspi.h>

#include <chrono>
#include <optional>
#include <vector>

#include "atspiaccessible.h"
#include "atspidesktop.h"
#include "atspiquery.h"
#include "busref.h"

namespace atspi_detail {
namespace {

constexpr int walkMaxDepth = 16;
constexpr int walkMaxObjects = 1000;
constexpr auto walkMaxTime = std::chrono::seconds(1);

// What a condition asks, as a plain value the bus thread can keep.
struct Match
{
    bool onTextPattern = false;          // anything else accepts nothing
    bool wanted = false;

    // On the bus thread.
    bool accepts(AtspiAccessible* accessible) const { return onTextPattern && wanted == isEditableText(accessible); }
};

class Condition : public ComObject<IUIAutomationCondition>
{
public:
    Condition(PROPERTYID property, const VARIANT& value)
    {
        match.onTextPattern = property == UIA_IsTextPatternAvailablePropertyId && value.vt == VT_BOOL;
        match.wanted = match.onTextPattern && value.boolVal != VARIANT_FALSE;
    }

    Match match;
};

class TextRange : public ComObject<IUIAutomationTextRange>
{
public:
    explicit TextRange(BusRef accessible) : object(std::move(accessible)) {}

    HRESULT GetText(int maxLength, BSTR* text) override
    {
        if (!text || maxLength < -1)
            return E_INVALIDARG;
        *text = nullptr;
        std::optional<QString> read = AtspiDesktop::call(
            [object = object]() -> std::optional<QString> {
                QString whole;
                // The pattern exists only for objects found to be no password field.
                if (!readText(object.get(), whole, true))
                    return std::nullopt;
                return whole;
            },
            std::nullopt);
        if (!read)
            return E_FAIL;
        QString& whole = *read;
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
    explicit TextPattern(BusRef accessible) : object(std::move(accessible)) {}

    HRESULT get_DocumentRange(IUIAutomationTextRange** range) override
    {
        if (!range)
            return E_INVALIDARG;
        *range = new TextRange(object);
        return S_OK;
    }

private:
    BusRef object;
};

IUIAutomationElement* newElement(BusRef accessible);

class ElementArray : public ComObject<IUIAutomationElementArray>
{
public:
    explicit ElementArray(std::vector<BusRef> found) : found(std::move(found)) {}

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
        *element = newElement(found[index]);
        return S_OK;
    }

private:
    std::vector<BusRef> found;
};

// Document order, within the depth, count and time limits; on the bus thread.
class SubtreeWalk
{
public:
    SubtreeWalk(TreeScope scope, const Match& match) : scope(scope), match(match) {}

    std::vector<BusRef> run(AtspiAccessible* root)
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
        // Our own objects are neither taken nor entered.
        if (AtspiDesktop* desktop = AtspiDesktop::instance(); desktop && desktop->isOwn(node))
            return;
        const bool inScope = (depth == 0 && (scope & TreeScope_Element)) || (depth == 1 && (scope & TreeScope_Children))
                             || (depth >= 1 && (scope & TreeScope_Descendants));
        if (inScope && match.accepts(node))
            found.emplace_back(node);
        if (depth >= walkMaxDepth || (depth >= 1 && !(scope & TreeScope_Descendants)) || managesDescendants(node))
            return;
        const gint count = atspi_accessible_get_child_count(node, nullptr);
        for (gint i = 0; i < count && !exhausted(); ++i) {
            const BusRef child = BusRef::adopt(atspi_accessible_get_child_at_index(node, i, nullptr));
            if (child)
                visit(child.get(), depth + 1);
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
    const Match match;
    std::vector<BusRef> found;
    int visited = 0;
    const std::chrono::steady_clock::time_point started = std::chrono::steady_clock::now();
};

class Element : public ComObject<IUIAutomationElement>
{
public:
    explicit Element(BusRef accessible) : object(std::move(accessible)) {}

    HRESULT GetCurrentPatternAs(PATTERNID pattern, REFIID iid, void** result) override
    {
        if (!result)
            return E_INVALIDARG;
        *result = nullptr;
        if (pattern != UIA_TextPatternId || !editable())
            return S_OK;
        IUIAutomationTextPattern* textPattern = new TextPattern(object);
        const HRESULT hr = textPattern->QueryInterface(iid, result);
        textPattern->Release();
        return hr;
    }

    HRESULT FindAll(TreeScope scope, IUIAutomationCondition* condition, IUIAutomationElementArray** found) override
    {
        if (!found || !condition)
            return E_INVALIDARG;
        *found = nullptr;
        auto* ours = dynamic_cast<Condition*>(condition);
        if (!ours)
            return E_INVALIDARG;
        *found = new ElementArray(AtspiDesktop::call(
            [object = object, match = ours->match, scope] { return SubtreeWalk(scope, match).run(object.get()); }, {}));
        return S_OK;
    }

    HRESULT get_CurrentBoundingRectangle(RECT* rect) override
    {
        if (!rect)
            return E_INVALIDARG;
        const std::optional<RECT> found =
            AtspiDesktop::call([object = object] { return extents(object.get()); }, std::nullopt);
        if (!found)
            return E_FAIL;
        *rect = *found;
        return S_OK;
    }

    HRESULT get_CurrentHasKeyboardFocus(BOOL* focused) override
    {
        if (!focused)
            return E_INVALIDARG;
        *focused = AtspiDesktop::call([object = object] { return holdsFocus(object.get()); }, false) ? TRUE : FALSE;
        return S_OK;
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
        case UIA_IsTextPatternAvailablePropertyId:
            value->vt = VT_BOOL;
            value->boolVal = editable() ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        default:
            return E_INVALIDARG;
        }
    }

private:
    HWND handle() const
    {
        AtspiDesktop* desktop = AtspiDesktop::instance();
        return desktop ? AtspiDesktop::call([desktop, object = object] { return desktop->handleFor(object.get()); },
                                            nullptr)
                       : nullptr;
    }

    bool editable() const
    {
        return AtspiDesktop::call([object = object] { return isEditableText(object.get()); }, false);
    }

    BusRef object;
};

IUIAutomationElement* newElement(BusRef accessible)
{
    return new Element(std::move(accessible));
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
        const auto window = static_cast<HWND>(hwnd);
        BusRef accessible =
            AtspiDesktop::call([desktop, window] { return BusRef(desktop->accessibleOf(window)); }, BusRef());
        if (!accessible)
            return E_INVALIDARG;
        *element = newElement(std::move(accessible));
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
