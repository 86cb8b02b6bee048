#pragma once

#include <type_traits>
#include <utility>

#include "comapi.h"
#include "comerror.h"
#include "unknown.h"

// Smart pointer over one COM interface: holds one counted reference, converts between interfaces
// through QueryInterface, and raises _com_error when a null pointer is used.
template <class T>
class ComPtr
{
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Takes a new reference to the object (the caller keeps its own).
    ComPtr(T* object) : p(object)
    {
        if (p)
            p->AddRef();
    }
    ComPtr(const ComPtr& other) : ComPtr(other.p) {}
    ComPtr(ComPtr&& other) noexcept : p(std::exchange(other.p, nullptr)) {}
    // Another interface of the same object, or null when the object does not offer T.
    template <class U, class = std::enable_if_t<!std::is_same_v<U, T>>>
    explicit ComPtr(const ComPtr<U>& other)
    {
        assignFrom(other.GetInterfacePtr());
    }
    ~ComPtr() { Release(); }

    ComPtr& operator=(const ComPtr& other)
    {
        ComPtr copy(other);
        swap(copy);
        return *this;
    }
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        ComPtr moved(std::move(other));
        swap(moved);
        return *this;
    }
    ComPtr& operator=(T* object)
    {
        ComPtr copy(object);
        swap(copy);
        return *this;
    }
    ComPtr& operator=(std::nullptr_t)
    {
        Release();
        return *this;
    }

    // Takes over a reference the caller owned; Detach hands it back.
    void Attach(T* object)
    {
        Release();
        p = object;
    }
    T* Detach() { return std::exchange(p, nullptr); }

    void Release()
    {
        if (T* old = std::exchange(p, nullptr))
            old->Release();
    }

    T* GetInterfacePtr() const { return p; }
    T* operator->() const
    {
        if (!p)
            _com_issue_error(E_POINTER);
        return p;
    }
    // Out-parameter access: the current reference is released first.
    T** operator&()
    {
        Release();
        return &p;
    }
    explicit operator bool() const { return p != nullptr; }
    operator T*() const { return p; }

    bool operator==(const ComPtr& other) const { return p == other.p; }
    bool operator!=(const ComPtr& other) const { return p != other.p; }
    bool operator==(std::nullptr_t) const { return p == nullptr; }
    bool operator!=(std::nullptr_t) const { return p != nullptr; }

    HRESULT CreateInstance(REFCLSID clsid, IUnknown* outer = nullptr, DWORD context = CLSCTX_ALL)
    {
        Release();
        return CoCreateInstance(clsid, outer, context, T::uuid(), reinterpret_cast<void**>(&p));
    }

    template <class U>
    HRESULT QueryInterface(U** out) const
    {
        if (!p)
            return E_POINTER;
        return p->QueryInterface(U::uuid(), reinterpret_cast<void**>(out));
    }

    void swap(ComPtr& other) noexcept { std::swap(p, other.p); }

private:
    template <class U>
    void assignFrom(U* other)
    {
        if (!other)
            return;
        if constexpr (std::is_convertible_v<U*, T*>) {
            p = other;
            p->AddRef();
        } else {
            void* out = nullptr;
            if (SUCCEEDED(other->QueryInterface(T::uuid(), &out)))
                p = static_cast<T*>(out);
        }
    }

    T* p = nullptr;
};

// Whether two interface pointers belong to one COM object: their IUnknown identities are compared,
// two null pointers being the same.
bool IsSameComObject(IUnknown* a, IUnknown* b);

using IUnknownPtr = ComPtr<IUnknown>;
