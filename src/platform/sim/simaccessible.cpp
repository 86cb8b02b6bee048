// The simulated desktop's accessible objects. Each request gets an interface object of its own whose
// IUnknown identity is shared per object, as with proxies of another process: two IAccessible
// pointers may differ while denoting one object.
#include "state.h"

namespace sim_detail {
namespace {

class AccIdentity : public ComObject<IUnknown>
{
public:
    explicit AccIdentity(std::shared_ptr<AccNode> node) : node(std::move(node)) {}

protected:
    ~AccIdentity() override
    {
        Lock lock(state().mutex);
        if (node->identity == this)
            node->identity = nullptr;
    }

private:
    std::shared_ptr<AccNode> node;
};

class SimAccessible : public ComObject<IAccessible>
{
public:
    SimAccessible(std::shared_ptr<AccNode> node, IUnknown* identity) : node(std::move(node)), identity(identity)
    {
        identity->AddRef();
    }

    std::shared_ptr<AccNode> record() const { return node; }

    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (object && iid == IID_IUnknown) {
            identity->AddRef();
            *object = identity;
            return S_OK;
        }
        return ComObject<IAccessible>::QueryInterface(iid, object);
    }

    HRESULT GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override
    {
        return E_NOTIMPL;
    }

    HRESULT get_accRole(VARIANT child, VARIANT* role) override
    {
        Lock lock(state().mutex);
        if (!role || child.vt != VT_I4)
            return E_INVALIDARG;
        if (HRESULT hr = check(setup(child).roleResult); hr != S_OK)
            return hr;
        VariantInit(role);
        role->vt = VT_I4;
        role->lVal = setup(child).role;
        return S_OK;
    }

    HRESULT get_accValue(VARIANT child, BSTR* value) override
    {
        Lock lock(state().mutex);
        if (!value || child.vt != VT_I4)
            return E_INVALIDARG;
        *value = nullptr;
        if (HRESULT hr = check(setup(child).valueResult); hr != S_OK)
            return hr;
        const std::u16string& text = setup(child).value;
        *value = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return S_OK;
    }

    HRESULT accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override
    {
        Lock lock(state().mutex);
        if (!left || !top || !width || !height || child.vt != VT_I4)
            return E_INVALIDARG;
        if (HRESULT hr = check(setup(child).locationResult); hr != S_OK)
            return hr;
        const RECT& r = setup(child).location;
        *left = r.left;
        *top = r.top;
        *width = r.right - r.left;
        *height = r.bottom - r.top;
        return S_OK;
    }

protected:
    ~SimAccessible() override { identity->Release(); }

private:
    // Called with the state locked.
    const sim::AccessibleSpec& setup(const VARIANT& child) const
    {
        const auto it = node->children.find(child.lVal);
        return it == node->children.end() ? node->desc : it->second;
    }

    HRESULT check(HRESULT configured) const
    {
        if (!node->connected)
            return RPC_E_DISCONNECTED;
        return configured;
    }

    std::shared_ptr<AccNode> node;
    IUnknown* identity;
};

} // namespace

IAccessible* newAccessible(const std::shared_ptr<AccNode>& node)
{
    Lock lock(state().mutex);
    IUnknown* identity = node->identity;
    bool fresh = false;
    if (!identity) {
        identity = new AccIdentity(node);
        node->identity = identity;
        fresh = true;
    }
    auto* object = new SimAccessible(node, identity);
    if (fresh)
        identity->Release();             // the interface object holds the only reference
    return object;
}

std::shared_ptr<AccNode> accNodeOf(IUnknown* object)
{
    if (!object)
        return nullptr;
    IAccessible* accessible = nullptr;
    if (FAILED(object->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&accessible))))
        return nullptr;
    auto* ours = dynamic_cast<SimAccessible*>(accessible);
    std::shared_ptr<AccNode> node = ours ? ours->record() : nullptr;
    accessible->Release();
    return node;
}

} // namespace sim_detail
