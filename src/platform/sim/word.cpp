// Placeholder answers until the simulated word processor lands.
#include "word.h"

namespace sim {
WordAppId createWordApp(const WordAppSpec&) { return 0; }
void quitWordApp(WordAppId) {}
void setWordAppSpec(WordAppId, const WordAppSpec&) {}
WordDocId openWordDocument(WordAppId, const WordDocSpec&) { return 0; }
HWND wordFrame(WordDocId) { return nullptr; }
HWND wordPane(WordDocId) { return nullptr; }
WordAppId wordAppOf(WordDocId) { return 0; }
WordDocId activeWordDocument(WordAppId) { return 0; }
void activateWordDocument(WordDocId) {}
void saveWordDocument(WordDocId) {}
void printWordDocument(WordDocId) {}
void closeWordDocument(WordDocId) {}
bool wordDocumentOpen(WordDocId) { return false; }
void setWordText(WordDocId, const std::u16string&) {}
std::u16string wordText(WordDocId) { return {}; }
void setWordPageStarts(WordDocId, const std::vector<int>&) {}
std::vector<int> wordPageStarts(WordDocId) { return {}; }
void replaceWordText(WordDocId, int, int, const std::u16string&) {}
void typeWordText(WordDocId, const std::u16string&) {}
void setWordSelection(WordDocId, int, int) {}
std::pair<int, int> wordSelection(WordDocId) { return {0, 0}; }
void setWordUnderline(WordDocId, int, int, const Underline&) {}
Underline wordUnderline(WordDocId, int) { return {}; }
std::vector<UnderlineRun> wordUnderlineRuns(WordDocId) { return {}; }
WordSnapshot lastSave(WordDocId) { return {}; }
WordSnapshot lastPrint(WordDocId) { return {}; }
CopiedText lastCopy() { return {}; }
void setWordGeometry(WordDocId, WordGeometry) {}
void watchWordDocument(WordDocId, std::function<void()>) {}
IDispatchPtr wordApplicationObject(WordAppId) { return nullptr; }
IDispatchPtr wordDocumentObject(WordDocId) { return nullptr; }
IDispatchPtr wordWindowObject(WordDocId) { return nullptr; }
IDispatchPtr wordSelectionObject(WordDocId) { return nullptr; }
IDispatchPtr wordRangeObject(WordDocId, int, int) { return nullptr; }
void raiseWordEvent(WordAppId, DISPID, const std::vector<_variant_t>&) {}
int wordAdvisedSinks(WordAppId) { return 0; }
int wordPendingEvents() { return 0; }
void failWordMember(WordObject, DISPID, HRESULT, int, int) {}
void setWordBusy(WordAppId, bool) {}
int wordCallCount(WordObject, DISPID) { return 0; }
void clearWordFailures() {}
int liveWordObjects() { return 0; }
void resetWord() {}
}

HRESULT CLSIDFromProgID(LPCOLESTR, CLSID*) { return CO_E_CLASSSTRING; }
HRESULT GetActiveObject(REFCLSID, void*, IUnknown** object)
{
    if (object)
        *object = nullptr;
    return MK_E_UNAVAILABLE;
}
