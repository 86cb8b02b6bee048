// The simulated desktop's UI Automation: the root object, elements over the element records, arrays,
// property conditions and the text pattern. Every request returns new interface objects, as the
// real client library does.
#include <functional>

#include "../uiautomation.h"
#include "state.h"

namespace sim_detail {
namespace {

class SimCondition : public ComObject<IUIAutomationCondition>
{
public:
    SimCondition(PROPERTYID property, const VARIANT& value) : property(property) { VariantCopy(&this->value, &value); }

    bool accepts(const ElementNode& node) const
    {
        switch (property) {
        case UIA_IsTextPatternAvailablePropertyId:
            return value.vt == VT_BOOL && (value.boolVal != VARIANT_FALSE) == node.desc.textPattern;
        case UIA_NativeWindowHandlePropertyId:
            return value.vt == VT_I4 && value.lVal == static_cast<LONG>(reinterpret_cast<uintptr_t>(node.desc.nativeWindow));
        default:
            return false;
        }
    }

protected:
    ~SimCondition() override { VariantClear(&value); }

private:
    PROPERTYID property;
    VARIANT value;
};

class SimTextRange : public ComObject<IUIAutomationTextRange>
{
public:
    explicit SimTextRange(std::shared_ptr<ElementNode> node) : node(std::move(node)) {}

    HRESULT GetText(int maxLength, BSTR* text) override
    {
        Lock lock(state().mutex);
        if (!text || maxLength < -1)
            return E_INVALIDARG;
        *text = nullptr;
        if (!node->connected)
            return RPC_E_DISCONNECTED;
        if (FAILED(node->desc.textResult))
            return node->desc.textResult;
        std::u16string value = node->desc.text;
        if (maxLength >= 0 && value.size() > static_cast<size_t>(maxLength))
            value.resize(static_cast<size_t>(maxLength));
        *text = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
        return S_OK;
    }

private:
    std::shared_ptr<ElementNode> node;
};

class SimTextPattern : public ComObject<IUIAutomationTextPattern>
{
public:
    explicit SimTextPattern(std::shared_ptr<ElementNode> node) : node(std::move(node)) {}

    HRESULT get_DocumentRange(IUIAutomationTextRange** range) override
    {
        Lock lock(state().mutex);
        if (!range)
            return E_INVALIDARG;
        *range = nullptr;
        if (!node->connected)
            return RPC_E_DISCONNECTED;
        if (FAILED(node->desc.documentRangeResult))
            return node->desc.documentRangeResult;
        *range = new SimTextRange(node);
        return S_OK;
    }

private:
    std::shared_ptr<ElementNode> node;
};

class SimElementArray : public ComObject<IUIAutomationElementArray>
{
public:
    explicit SimElementArray(std::vector<std::shared_ptr<ElementNode>> nodes) : nodes(std::move(nodes)) {}

    HRESULT get_Length(int* length) override
    {
        if (!length)
            return E_INVALIDARG;
        if (HRESULT hr = enter(sim::Call::ElementArrayLength); FAILED(hr))
            return hr;
        *length = static_cast<int>(nodes.size());
        return S_OK;
    }

    HRESULT GetElement(int index, IUIAutomationElement** element) override
    {
        if (!element)
            return E_INVALIDARG;
        *element = nullptr;
        if (index < 0 || index >= static_cast<int>(nodes.size()))
            return E_INVALIDARG;
        Lock lock(state().mutex);
        if (FAILED(nodes[index]->desc.fetchResult))
            return nodes[index]->desc.fetchResult;
        *element = newElement(nodes[index]);
        return S_OK;
    }

private:
    std::vector<std::shared_ptr<ElementNode>> nodes;
};

class SimElement : public ComObject<IUIAutomationElement>
{
public:
    explicit SimElement(std::shared_ptr<ElementNode> node) : node(std::move(node)) {}

    std::shared_ptr<ElementNode> record() const { return node; }

    HRESULT GetCurrentPatternAs(PATTERNID pattern, REFIID iid, void** object) override
    {
        if (!object)
            return E_INVALIDARG;
        *object = nullptr;
        if (HRESULT hr = enter(sim::Call::GetCurrentPatternAs); FAILED(hr))
            return hr;
        Lock lock(state().mutex);
        if (!node->connected)
            return RPC_E_DISCONNECTED;
        if (pattern != UIA_TextPatternId || !node->desc.textPattern)
            return S_OK;
        IUIAutomationTextPattern* textPattern = new SimTextPattern(node);
        const HRESULT hr = textPattern->QueryInterface(iid, object);
        textPattern->Release();
        return hr;
    }

    HRESULT FindAll(TreeScope scope, IUIAutomationCondition* condition, IUIAutomationElementArray** found) override
    {
        if (!found || !condition)
            return E_INVALIDARG;
        *found = nullptr;
        if (HRESULT hr = enter(sim::Call::FindAll); FAILED(hr))
            return hr;
        auto* test = dynamic_cast<SimCondition*>(condition);
        if (!test)
            return E_INVALIDARG;
        Lock lock(state().mutex);
        if (!node->connected)
            return RPC_E_DISCONNECTED;
        std::vector<std::shared_ptr<ElementNode>> result;
        // Document order: an element before its descendants, siblings in creation order.
        std::function<void(const std::shared_ptr<ElementNode>&, int)> visit =
            [&](const std::shared_ptr<ElementNode>& n, int depth) {
                const bool inScope = (depth == 0 && (scope & TreeScope_Element))
                                     || (depth == 1 && (scope & TreeScope_Children))
                                     || (depth >= 1 && (scope & TreeScope_Descendants));
                if (inScope && test->accepts(*n))
                    result.push_back(n);
                if (depth >= 1 && !(scope & TreeScope_Descendants))
                    return;
                for (int childId : n->children) {
                    auto it = state().elements.find(childId);
                    if (it != state().elements.end())
                        visit(it->second, depth + 1);
                }
            };
        visit(node, 0);
        *found = new SimElementArray(std::move(result));
        return S_OK;
    }

    HRESULT get_CurrentBoundingRectangle(RECT* rect) override
    {
        Lock lock(state().mutex);
        if (!rect)
            return E_INVALIDARG;
        if (!node->connected)
            return RPC_E_DISCONNECTED;
        if (FAILED(node->desc.rectResult))
            return node->desc.rectResult;
        *rect = node->desc.rect;
        return S_OK;
    }

    HRESULT get_CurrentHasKeyboardFocus(BOOL* focused) override
    {
        Lock lock(state().mutex);
        if (!focused)
            return E_INVALIDARG;
        if (!node->connected)
            return RPC_E_DISCONNECTED;
        *focused = node->desc.keyboardFocus ? TRUE : FALSE;
        return S_OK;
    }

    HRESULT get_CachedNativeWindowHandle(UIA_HWND* hwnd) override
    {
        Lock lock(state().mutex);
        if (!hwnd)
            return E_INVALIDARG;
        *hwnd = nullptr;
        if (FAILED(node->desc.cachedHandleResult))
            return node->desc.cachedHandleResult;
        *hwnd = node->desc.nativeWindow;
        return S_OK;
    }

    HRESULT GetCachedPropertyValue(PROPERTYID property, VARIANT* value) override
    {
        Lock lock(state().mutex);
        if (!value)
            return E_INVALIDARG;
        VariantInit(value);
        if (FAILED(node->desc.cachedPropertyResult))
            return node->desc.cachedPropertyResult;
        switch (property) {
        case UIA_NativeWindowHandlePropertyId:
            // Window handles travel as 32-bit integers, as on Windows.
            value->vt = VT_I4;
            value->lVal = static_cast<LONG>(reinterpret_cast<uintptr_t>(node->desc.nativeWindow));
            return S_OK;
        case UIA_IsTextPatternAvailablePropertyId:
            value->vt = VT_BOOL;
            value->boolVal = node->desc.textPattern ? VARIANT_TRUE : VARIANT_FALSE;
            return S_OK;
        default:
            return E_INVALIDARG;
        }
    }

private:
    std::shared_ptr<ElementNode> node;
};

class SimAutomation : public ComObject<IUIAutomation>
{
public:
    HRESULT ElementFromIAccessible(IAccessible* accessible, int, IUIAutomationElement** element) override
    {
        if (!element || !accessible)
            return E_INVALIDARG;
        *element = nullptr;
        if (HRESULT hr = enter(sim::Call::ElementFromIAccessible); FAILED(hr))
            return hr;
        auto acc = accNodeOf(accessible);
        Lock lock(state().mutex);
        if (!acc || !acc->connected)
            return E_FAIL;
        auto it = state().elements.find(acc->element);
        if (it == state().elements.end())
            return E_FAIL;
        *element = newElement(it->second);
        return S_OK;
    }

    HRESULT ElementFromHandle(UIA_HWND hwnd, IUIAutomationElement** element) override
    {
        if (!element)
            return E_INVALIDARG;
        *element = nullptr;
        if (HRESULT hr = enter(sim::Call::ElementFromHandle); FAILED(hr))
            return hr;
        Lock lock(state().mutex);
        if (!window(static_cast<HWND>(hwnd)))
            return E_INVALIDARG;
        for (const auto& [id, node] : state().elements) {
            if (node->hwnd == hwnd && node->parent == 0) {
                *element = newElement(node);
                return S_OK;
            }
        }
        return E_FAIL;
    }

    HRESULT CreatePropertyCondition(PROPERTYID property, VARIANT value, IUIAutomationCondition** condition) override
    {
        if (!condition)
            return E_INVALIDARG;
        *condition = nullptr;
        if (HRESULT hr = enter(sim::Call::CreatePropertyCondition); FAILED(hr))
            return hr;
        if (property != UIA_IsTextPatternAvailablePropertyId && property != UIA_NativeWindowHandlePropertyId)
            return E_INVALIDARG;
        *condition = new SimCondition(property, value);
        return S_OK;
    }
};

} // namespace

IUIAutomationElement* newElement(const std::shared_ptr<ElementNode>& node)
{
    return new SimElement(node);
}

std::shared_ptr<ElementNode> elementNodeOf(IUnknown* object)
{
    if (!object)
        return nullptr;
    IUIAutomationElement* element = nullptr;
    if (FAILED(object->QueryInterface(IID_IUIAutomationElement, reinterpret_cast<void**>(&element))))
        return nullptr;
    auto* ours = dynamic_cast<SimElement*>(element);
    std::shared_ptr<ElementNode> node = ours ? ours->record() : nullptr;
    element->Release();
    return node;
}

HRESULT createAutomation(REFIID iid, void** object)
{
    if (HRESULT hr = enter(sim::Call::CreateAutomation); FAILED(hr))
        return hr;
    IUIAutomation* automation = new SimAutomation;
    const HRESULT hr = automation->QueryInterface(iid, object);
    automation->Release();
    return hr;
}

} // namespace sim_detail
