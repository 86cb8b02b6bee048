#pragma once

#include "accessible.h"

typedef int PROPERTYID;
typedef int PATTERNID;
typedef void* UIA_HWND;

constexpr PATTERNID UIA_TextPatternId = 10014;
constexpr PROPERTYID UIA_NativeWindowHandlePropertyId = 30020;
constexpr PROPERTYID UIA_IsTextPatternAvailablePropertyId = 30040;

enum TreeScope {
    TreeScope_Element = 0x1,
    TreeScope_Children = 0x2,
    TreeScope_Descendants = 0x4,
    TreeScope_Subtree = 0x7,
};

inline constexpr CLSID CLSID_CUIAutomation = {0xFF48DBA4, 0x60EF, 0x4201, {0xAA, 0x87, 0x54, 0x10, 0x3E, 0xEF, 0x59, 0x4E}};
inline constexpr IID IID_IUIAutomation = {0x30CBE57D, 0xD9D0, 0x452A, {0xAB, 0x13, 0x7A, 0xC5, 0xAC, 0x48, 0x25, 0xEE}};
inline constexpr IID IID_IUIAutomationTextPattern = {0x32EBA289, 0x3583, 0x42C9, {0x9C, 0x59, 0x3B, 0x6D, 0x9A, 0x1E, 0x9B, 0x6A}};
// Interfaces only ever reached through typed calls carry ids of the stand-in's own.
inline constexpr IID IID_IUIAutomationElement = {0x4B6F7265, 0x0001, 0x4C6F, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
inline constexpr IID IID_IUIAutomationElementArray = {0x4B6F7265, 0x0002, 0x4C6F, {0x80, 0, 0, 0, 0, 0, 0, 0x02}};
inline constexpr IID IID_IUIAutomationCondition = {0x4B6F7265, 0x0003, 0x4C6F, {0x80, 0, 0, 0, 0, 0, 0, 0x03}};
inline constexpr IID IID_IUIAutomationTextRange = {0x4B6F7265, 0x0004, 0x4C6F, {0x80, 0, 0, 0, 0, 0, 0, 0x04}};

struct IUIAutomationElementArray;

struct IUIAutomationCondition : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_IUIAutomationCondition; }

protected:
    ~IUIAutomationCondition() = default;
};

struct IUIAutomationElement : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_IUIAutomationElement; }

    // Succeeds with a null pattern when the element does not support it.
    virtual HRESULT GetCurrentPatternAs(PATTERNID pattern, REFIID iid, void** object) = 0;
    virtual HRESULT FindAll(TreeScope scope, IUIAutomationCondition* condition,
                            IUIAutomationElementArray** found) = 0;
    virtual HRESULT get_CurrentBoundingRectangle(RECT* rect) = 0;
    virtual HRESULT get_CurrentHasKeyboardFocus(BOOL* focused) = 0;
    virtual HRESULT get_CachedNativeWindowHandle(UIA_HWND* hwnd) = 0;
    virtual HRESULT GetCachedPropertyValue(PROPERTYID property, VARIANT* value) = 0;

protected:
    ~IUIAutomationElement() = default;
};

struct IUIAutomationElementArray : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_IUIAutomationElementArray; }

    virtual HRESULT get_Length(int* length) = 0;
    virtual HRESULT GetElement(int index, IUIAutomationElement** element) = 0;

protected:
    ~IUIAutomationElementArray() = default;
};

struct IUIAutomationTextRange : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_IUIAutomationTextRange; }

    // maxLength -1 reads the whole range.
    virtual HRESULT GetText(int maxLength, BSTR* text) = 0;

protected:
    ~IUIAutomationTextRange() = default;
};

struct IUIAutomationTextPattern : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_IUIAutomationTextPattern; }

    virtual HRESULT get_DocumentRange(IUIAutomationTextRange** range) = 0;

protected:
    ~IUIAutomationTextPattern() = default;
};

struct IUIAutomation : IUnknown
{
    using Base = IUnknown;
    static const IID& uuid() { return IID_IUIAutomation; }

    virtual HRESULT ElementFromIAccessible(IAccessible* accessible, int childId,
                                           IUIAutomationElement** element) = 0;
    virtual HRESULT ElementFromHandle(UIA_HWND hwnd, IUIAutomationElement** element) = 0;
    virtual HRESULT CreatePropertyCondition(PROPERTYID property, VARIANT value,
                                            IUIAutomationCondition** condition) = 0;

protected:
    ~IUIAutomation() = default;
};

using IUIAutomationPtr = ComPtr<IUIAutomation>;
using IUIAutomationElementPtr = ComPtr<IUIAutomationElement>;
using IUIAutomationElementArrayPtr = ComPtr<IUIAutomationElementArray>;
using IUIAutomationConditionPtr = ComPtr<IUIAutomationCondition>;
using IUIAutomationTextPatternPtr = ComPtr<IUIAutomationTextPattern>;
using IUIAutomationTextRangePtr = ComPtr<IUIAutomationTextRange>;
