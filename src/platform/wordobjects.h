#pragma once

#include "connectionpoint.h"
#include "dispatchcall.h"

// The word processor's automation objects as this system calls them: dispatch ids per object,
// the values of their enumerations, the application event interface and its events.
//
// How to call (every call is late-bound, on the GUI thread; failures raise _com_error):
//   IDispatchPtr doc = getProperty(app, word::Application::ActiveDocument).toDispatch();
//   IDispatchPtr r = callMethod(doc, word::Document::Range, {5, 9}).toDispatch();
//   QString text = getProperty(r, word::Range::Text).toString();
//   putProperty(r, word::Range::Text, QStringLiteral("new"));
//   IDispatchPtr font = getProperty(r, word::Range::Font).toDispatch();
//   putProperty(font, word::Font::Underline, word::wdUnderlineWavyHeavy);
//   putProperty(r, word::Range::Font, font);
//   LONG left = 0, top = 0, width = 0, height = 0;
//   callMethod(window, word::Window::GetPoint, {_variant_t::byRef(&left), _variant_t::byRef(&top),
//                                               _variant_t::byRef(&width), _variant_t::byRef(&height), r});
//   Find.Execute takes 15 optional arguments: callMethod(find, word::Find::Execute) leaves them all
//   out; word::findExecute(find, forward, format, replace) gives those three, the rest vtMissing.
// Arguments are always written in their declared order; the call helper reverses them.
//
// Events: find the IID_ApplicationEvents2 connection point on the application and Advise an
// IDispatch sink there. Events
// arrive as Invoke(word::AppEvent::..., params) with params->rgvarg holding the declared arguments
// last to first; cancel and save-as flags arrive by reference (VT_BYREF | VT_BOOL).
namespace word {

namespace Window {
constexpr DISPID Application = 1000;
constexpr DISPID GetPoint = 112;          // (left&, top&, width&, height&, range): screen pixels
constexpr DISPID Selection = 4;           // the selection of this window's document
constexpr DISPID Hwnd = 138;              // the document pane's window handle
}

namespace Windows {
constexpr DISPID Item = 0;                // (index from 1)
constexpr DISPID Count = 2;
}

namespace Application {
constexpr DISPID ActiveDocument = 3;
constexpr DISPID ActiveWindow = 4;
constexpr DISPID Selection = 5;
constexpr DISPID Version = 24;            // string, e.g. "16.0"
constexpr DISPID Windows = 2;             // the windows of every open document
}

namespace Document {
constexpr DISPID FullName = 29;
constexpr DISPID Content = 41;
constexpr DISPID ActiveWindow = 42;
constexpr DISPID Range = 2000;            // (start, end), both optional
}

namespace Selection {
constexpr DISPID Range = 400;             // a new range over the selection
constexpr DISPID Information = 401;       // (type)
constexpr DISPID Document = 1003;
}

namespace Range {
constexpr DISPID Text = 0;
constexpr DISPID Start = 3;
constexpr DISPID End = 4;
constexpr DISPID Font = 5;
constexpr DISPID Paragraphs = 59;
constexpr DISPID SetRange = 100;          // (start, end)
constexpr DISPID Next = 105;              // (unit, count): a new range, or empty past the end
constexpr DISPID Previous = 106;          // (unit, count)
constexpr DISPID Copy = 120;
constexpr DISPID InRange = 126;           // (range): bool, this one lies inside the other
constexpr DISPID Expand = 129;            // (unit): in place; answers the characters added
constexpr DISPID GoTo = 173;              // (what, which, count, name): a new collapsed range
constexpr DISPID Find = 262;
constexpr DISPID Select = 65535;
}

namespace Paragraphs {
constexpr DISPID Item = 0;                // (index from 1)
constexpr DISPID Count = 2;
}

namespace Paragraph {
constexpr DISPID Range = 0;
}

namespace Font {
constexpr DISPID Underline = 140;
constexpr DISPID UnderlineColor = 166;
}

namespace Find {
constexpr DISPID Forward = 10;
constexpr DISPID Font = 11;
constexpr DISPID Found = 12;
constexpr DISPID MatchCase = 14;
constexpr DISPID Text = 22;
constexpr DISPID Replacement = 25;
constexpr DISPID Wrap = 27;
constexpr DISPID ClearFormatting = 31;
constexpr DISPID ClearAllFuzzyOptions = 33;
constexpr DISPID Execute = 444;           // 15 optional arguments, see ExecuteArgument
constexpr DISPID ClearHitHighlight = 446;
}

namespace Replacement {
constexpr DISPID Font = 10;
constexpr DISPID ClearFormatting = 20;
}

// Positions (from 0) of Find.Execute's arguments, in declared order.
namespace ExecuteArgument {
constexpr int FindText = 0;
constexpr int MatchCase = 1;
constexpr int Forward = 6;
constexpr int Wrap = 7;
constexpr int Format = 8;
constexpr int ReplaceWith = 9;
constexpr int Replace = 10;
constexpr int Count = 15;
}

// The application events (ApplicationEvents2).
namespace AppEvent {
constexpr DISPID DocumentChange = 3;          // ()
constexpr DISPID DocumentBeforeClose = 6;     // (Document, Cancel&)
constexpr DISPID DocumentBeforePrint = 7;     // (Document, Cancel&)
constexpr DISPID DocumentBeforeSave = 8;      // (Document, SaveAsUI&, Cancel&)
constexpr DISPID WindowActivate = 10;         // (Document, Window)
constexpr DISPID WindowDeactivate = 11;       // (Document, Window)
constexpr DISPID WindowSelectionChange = 12;  // (Selection)
}

// Enumeration values.
constexpr int wdCharacter = 1;
constexpr int wdSentence = 3;
constexpr int wdParagraph = 4;
constexpr int wdStory = 6;
constexpr int wdGoToPage = 1;
constexpr int wdGoToLine = 3;
constexpr int wdGoToAbsolute = 1;
constexpr int wdGoToFirst = 1;
constexpr int wdGoToNext = 2;
constexpr int wdGoToPrevious = 3;
constexpr int wdGoToLast = -1;
constexpr int wdActiveEndPageNumber = 3;
constexpr int wdUnderlineNone = 0;
constexpr int wdUnderlineSingle = 1;
constexpr int wdUnderlineWavyHeavy = 27;
constexpr int wdColorAutomatic = static_cast<int>(0xFF000000u);
constexpr int wdUndefined = 9999999;          // mixed formatting
constexpr int wdFindStop = 0;
constexpr int wdFindContinue = 1;
constexpr int wdReplaceNone = 0;
constexpr int wdReplaceOne = 1;
constexpr int wdReplaceAll = 2;

// Find.Execute's 15 arguments with Forward, Format and Replace given and the others omitted.
inline _variant_t findExecute(IDispatch* find, bool forward, bool format, int replace)
{
    return callMethod(find, Find::Execute,
                      {vtMissing, vtMissing, vtMissing, vtMissing, vtMissing, vtMissing, forward, vtMissing,
                       format, vtMissing, replace, vtMissing, vtMissing, vtMissing, vtMissing});
}

// Find.Execute with every setting a search relies on given, so that none is taken over from an
// earlier search (the settings stay from one search to the next).
inline _variant_t findExecute(IDispatch* find, const QString& text, bool matchCase, bool forward, int wrap,
                              bool format, const QString& replaceWith, int replace)
{
    return callMethod(find, Find::Execute,
                      {text, matchCase, vtMissing, vtMissing, vtMissing, vtMissing, forward, wrap, format,
                       replaceWith, replace, vtMissing, vtMissing, vtMissing, vtMissing});
}

} // namespace word

// The program id under which the application registers its running object, and the event
// interfaces an application sink may answer to (it is advised on ApplicationEvents2).
inline constexpr const char16_t* wordProgId = u"Word.Application";
inline constexpr IID IID_ApplicationEvents = {0x000209F7, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_ApplicationEvents2 = {0x000209FE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_ApplicationEvents3 = {0x00020A00, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
inline constexpr IID IID_ApplicationEvents4 = {0x00020A01, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
