#pragma once

#include "comptr.h"

// Outgoing interfaces: a source object offers one connection point per event interface; a sink is
// advised to it and receives the events as calls of its own interface until it is unadvised.
inline constexpr IID IID_IConnectionPointContainer = {0xB196B284, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};
inline constexpr IID IID_IConnectionPoint = {0xB196B286, 0xBAB4, 0x101A, {0xB6, 0x9C, 0x00, 0xAA, 0x00, 0x34, 0x1D, 0x07}};

constexpr HRESULT CONNECT_E_NOCONNECTION = hresultFromBits(0x80040200u);
constexpr HRESULT CONNECT_E_CANNOTCONNECT = hresultFromBits(0x80040202u);

struct IConnectionPoint : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_IConnectionPoint; }

    // The sink must answer the point's event interface (or IDispatch) through QueryInterface; the
    // point keeps a reference to it until Unadvise with the cookie.
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

struct IConnectionPointContainer : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_IConnectionPointContainer; }

    virtual HRESULT FindConnectionPoint(REFIID eventsIid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

using IConnectionPointPtr = ComPtr<IConnectionPoint>;
using IConnectionPointContainerPtr = ComPtr<IConnectionPointContainer>;
