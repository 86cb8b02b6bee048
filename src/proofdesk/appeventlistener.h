#pragma once

#include "eventlistener.h"

class WordHelper;

// Receives the word processor's application events and passes each one on to the document helper
// that owns this sink; QueryInterface also accepts every version of those event interfaces.
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
