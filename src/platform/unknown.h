#pragma once

#include <atomic>
#include <cstring>
#include <type_traits>

#include "wintypes.h"

struct GUID
{
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
};
typedef GUID IID;
typedef GUID CLSID;
typedef const IID& REFIID;
typedef const CLSID& REFCLSID;

inline bool operator==(const GUID& a, const GUID& b) { return std::memcmp(&a, &b, sizeof(GUID)) == 0; }
inline bool operator!=(const GUID& a, const GUID& b) { return !(a == b); }

inline constexpr IID IID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
inline constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// Every interface names its IID (uuid()) and the interface it extends (Base), which is what
// QueryInterface and the smart pointer need to find it.
struct IUnknown
{
    using Base = void;
    static const IID& uuid() { return IID_IUnknown; }

    virtual HRESULT QueryInterface(REFIID iid, void** object) = 0;
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;

protected:
    ~IUnknown() = default;
};

namespace platform_detail {
// Live objects made through ComObject; tests read it through sim::liveComObjects().
std::atomic<int>& comObjectCount();
void registerComObject(const void* object);
void unregisterComObject(const void* object);

template <class I>
bool interfaceIs(REFIID iid)
{
    if (iid == I::uuid())
        return true;
    if constexpr (std::is_same_v<typename I::Base, void>)
        return false;
    else
        return interfaceIs<typename I::Base>(iid);
}
}

// Reference counting and QueryInterface for a COM class implementing the given interfaces. The first
// interface gives the object's IUnknown identity. Objects delete themselves on the last Release.
template <class First, class... Rest>
class ComObject : public First, public Rest...
{
public:
    ComObject() { platform_detail::registerComObject(this); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    HRESULT QueryInterface(REFIID iid, void** object) override
    {
        if (!object)
            return E_POINTER;
        *object = findInterface(iid);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs; }
    ULONG Release() override
    {
        const ULONG left = --refs;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    virtual ~ComObject() { platform_detail::unregisterComObject(this); }

    void* findInterface(REFIID iid)
    {
        if (iid == IID_IUnknown)
            return static_cast<IUnknown*>(static_cast<First*>(this));
        void* found = pick<First>(iid);
        ((found = found ? found : pick<Rest>(iid)), ...);
        return found;
    }

private:
    template <class I>
    void* pick(REFIID iid)
    {
        return platform_detail::interfaceIs<I>(iid) ? static_cast<I*>(this) : nullptr;
    }

    std::atomic<ULONG> refs{1};
};
