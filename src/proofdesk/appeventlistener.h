#pragma once

#include "eventlistener.h"

class WordHelper;

// The sink of the word processor's application events: answers to the application event interfaces
// and hands every event to its document helper.
class AppEventListener : public EventListener
{
public:
    AppEventListener() = default;

    HRESULT QueryInterface(REFIID riid, void** object) override;
    HRESULT Invoke(DISPID member, REFIID reserved, LCID locale, WORD flags, DISPPARAMS* params,
                   VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

    // Null stops the forwarding: the helper sets it before letting go of the sink.
    void setWordHelper(WordHelper* helper) { wordHelper = helper; }

private:
    WordHelper* wordHelper = nullptr;
};
