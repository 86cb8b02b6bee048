#pragma once

#include <functional>
#include <string>
#include <vector>

#include "../comvariant.h"
#include "desktop.h"

// The simulated word processor. Programs reach it only through IDispatch (by dispatch id, or by name
// through GetIDsOfNames): AccessibleObjectFromWindow(pane, OBJID_NATIVEOM) answers a document's
// Window object, and GetActiveObject(CLSIDFromProgID("Word.Application")) its Application. Tests
// and the demonstration build and drive it here.
//
// How it behaves (what callers may rely on):
// - Text is UTF-16; positions count UTF-16 units. Every paragraph ends in "\r", the last one too
//   (it cannot be deleted). A character unit is a code point: a surrogate pair spans 2. Lines are
//   paragraphs. Each unit carries an underline style and colour (0 and wdColorAutomatic by default).
// - Pages start at given positions, which move with edits like range starts; page 1 starts at 0.
// - Ranges are live: an edit before a range shifts it, text put in at its start goes before it and
//   text put in at its end stays out; an edit inside it moves its end. Writing a
//   range's Text leaves the range over the new text, formatted like the range's first old unit.
//   Selection.Range, GoTo, Next, Previous and Document.Range give new ranges; Expand and SetRange
//   work in place. GoTo gives a collapsed range at the target's start (past the last page: the last
//   page). Sentences end after one of 。！？.!? or at the paragraph's end.
// - A collapsed range counts as the unit after its caret: its Font reads that unit; Next(1, 1) is
//   the unit after that one, Previous(1, 1) the unit before the caret. Font is live: it reads and
//   writes the range's units as they are now; a mixed value reads wdUndefined (9999999).
// - Find (of a range) with wdReplaceAll works on every match inside the range (formatting runs cut
//   to it); with an empty ReplaceWith and Replacement.Font set only the formatting changes. A Find
//   uses its Font criteria unless Execute's Format says false. Otherwise it searches
//   from the range's end forward (its start backward); wdFindContinue wraps to the other end of
//   the document. Empty Text with Find.Font criteria matches a maximal run carrying them that starts
//   at or after the range's end (ends at or before its start, backward). A match redefines the range.
//   The search settings (Text, Forward, MatchCase, Wrap, Font, Replacement.Font, and Execute's
//   FindText, MatchCase, Forward and Wrap) belong to the document and stay for the next search of
//   any of its ranges, as a Find dialog keeps them; a caller sets whatever its search relies on.
// - Each document's window has its own selection (Window.Selection); Application.Selection is the
//   active document's. Application.Windows lists the open documents' windows; Window.Hwnd is the
//   pane's handle.
// - Copy puts HTML and plain text on the application clipboard (when a GUI application exists) and
//   keeps them for lastCopy().
// - Window.GetPoint answers from the document's geometry function; by default each line (paragraph)
//   is 24 pixels high starting 8 pixels below the pane's top, each unit 16 pixels wide from 8 pixels
//   right of the pane's left; a range spanning lines answers the box around its lines.
// - Events (ApplicationEvents2) are posted to the event loop of the thread that advised the sink and
//   delivered when it runs, never inside the call that caused them; a sink's own calls during an
//   event only queue further events. Range.Select and caret moves raise WindowSelectionChange;
//   switching documents or moving the foreground raises WindowDeactivate, WindowActivate and
//   DocumentChange. Save, print and close raise their Before event first and act once the sinks
//   have had it (a sink setting Cancel stops them).
// - Busy: every call answers RPC_E_CALL_REJECTED. A closed document's objects (and a quit
//   application's) answer RPC_E_DISCONNECTED.
// - One thread: the simulation is driven and called from the GUI thread.
namespace sim {

using WordAppId = int;
using WordDocId = int;

struct WordAppSpec
{
    std::u16string version = u"16.0";
    std::u16string titleSuffix = u" - Word";   // frame titles are the document name plus this
    bool nativeObject = true;                  // panes answer OBJID_NATIVEOM
    bool runningObject = true;                 // registered for GetActiveObject
    int activeObjectFailures = 0;              // the first N GetActiveObject calls fail
    bool copyHtml = true;                      // Range.Copy offers HTML beside the plain text
    DWORD processId = 0;                       // 0: a new process
};
WordAppId createWordApp(const WordAppSpec& setup = {});
// Closes its documents (without events), disconnects its objects and leaves the running table.
void quitWordApp(WordAppId app);
void setWordAppSpec(WordAppId app, const WordAppSpec& setup);

struct WordDocSpec
{
    std::u16string name;                       // "Document<n>" when empty
    std::u16string fullName;                   // FullName; a path made from the name when empty
    std::u16string text;                       // "\r" appended when it does not end in one
    std::vector<int> pageStarts;               // starts of pages 2, 3, ...
    RECT frameRect{100, 100, 900, 700};
    bool activate = true;                      // becomes the active document and the foreground
};
// Opens a document in its own frame window (class "OpusApp") with a pane child (class "_WwG").
WordDocId openWordDocument(WordAppId app, const WordDocSpec& setup);
HWND wordFrame(WordDocId doc);
HWND wordPane(WordDocId doc);
WordAppId wordAppOf(WordDocId doc);
std::u16string wordDocumentName(WordDocId doc);
WordDocId activeWordDocument(WordAppId app);    // 0 when none is open
// Makes the document the active one (and its frame the foreground window).
void activateWordDocument(WordDocId doc);
void saveWordDocument(WordDocId doc);
void printWordDocument(WordDocId doc);
void closeWordDocument(WordDocId doc);
bool wordDocumentOpen(WordDocId doc);

// Text and pages. setWordText replaces everything (formatting cleared, ranges collapsed to 0).
void setWordText(WordDocId doc, const std::u16string& text);
std::u16string wordText(WordDocId doc);
void setWordPageStarts(WordDocId doc, const std::vector<int>& starts);
std::vector<int> wordPageStarts(WordDocId doc);
// Replaces [start, end) as typing would (formatting of the unit before), raising no event.
void replaceWordText(WordDocId doc, int start, int end, const std::u16string& text);
// Types at the selection: the selection's text is replaced and the caret ends after the typed text;
// raises WindowSelectionChange.
void typeWordText(WordDocId doc, const std::u16string& text);
void setWordSelection(WordDocId doc, int start, int end);      // raises WindowSelectionChange
std::pair<int, int> wordSelection(WordDocId doc);

// Formatting, per unit.
struct Underline
{
    int style = 0;
    int color = static_cast<int>(0xFF000000u);
    bool operator==(const Underline& other) const { return style == other.style && color == other.color; }
    bool operator!=(const Underline& other) const { return !(*this == other); }
};
void setWordUnderline(WordDocId doc, int start, int end, const Underline& underline);
Underline wordUnderline(WordDocId doc, int position);
struct UnderlineRun
{
    int start = 0;
    int end = 0;
    Underline underline;
};
// The maximal runs of units whose underline is not the default.
std::vector<UnderlineRun> wordUnderlineRuns(WordDocId doc);
// What the last save and the last print saw (text and underline runs); empty before any.
struct WordSnapshot
{
    std::u16string text;
    std::vector<UnderlineRun> runs;
    int count = 0;                             // saves (prints) so far
};
WordSnapshot lastSave(WordDocId doc);
WordSnapshot lastPrint(WordDocId doc);
struct CopiedText
{
    QString html;
    QString text;
};
CopiedText lastCopy();

// Screen rectangle of [start, end) for Window.GetPoint; null restores the default grid.
using WordGeometry = std::function<RECT(int start, int end)>;
void setWordGeometry(WordDocId doc, WordGeometry geometry);

// Called (on the thread making the change) after every change of the document's text, formatting
// or selection, whoever made it; null removes it.
void watchWordDocument(WordDocId doc, std::function<void()> changed);

// Objects as a program gets them (new references).
IDispatchPtr wordApplicationObject(WordAppId app);
IDispatchPtr wordDocumentObject(WordDocId doc);
IDispatchPtr wordWindowObject(WordDocId doc);
IDispatchPtr wordSelectionObject(WordDocId doc);
IDispatchPtr wordRangeObject(WordDocId doc, int start, int end);

// Any event with any arguments (declared order), posted like the application's own.
void raiseWordEvent(WordAppId app, DISPID event, const std::vector<_variant_t>& arguments);
int wordAdvisedSinks(WordAppId app);
// Events posted but not yet delivered.
int wordPendingEvents();

// Failures. Members are told apart by object kind, since ids repeat between objects.
enum class WordObject { Application, Window, Document, Selection, Range, Paragraphs, Paragraph, Font, Find, Replacement,
                        ConnectionPoint, Windows };
// The connection point's calls, as members of WordObject::ConnectionPoint (FindConnectionPoint is
// the container's, counted here too).
constexpr DISPID wordFindConnectionPoint = 0;
constexpr DISPID wordAdvise = 1;
constexpr DISPID wordUnadvise = 2;
// Calls of the member from the fromCall-th on (counting from the moment of this request) answer
// result, times calls long (-1: until cleared).
void failWordMember(WordObject object, DISPID member, HRESULT result = E_FAIL, int fromCall = 1, int times = -1);
void setWordBusy(WordAppId app, bool busy);
int wordCallCount(WordObject object, DISPID member);
// Clears failures and call counts; busy flags stay with their applications.
void clearWordFailures();

// Objects of the simulation still referenced by a program (ranges, fonts, finds, ...).
int liveWordObjects();

// Ends every application and document (no events) and forgets failures; sim::reset() does too.
void resetWord();

} // namespace sim
