#include "wordhelper.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTimer>

#include <algorithm>

#include "accessible.h"
#include "appeventlistener.h"
#include "checkerclient.h"
#include "comapi.h"
#include "contextshow.h"
#include "editormanager.h"
#include "editorname.h"
#include "errorslist.h"
#include "errorslistgroup.h"
#include "widgeterrorlist.h"
#include "wordobjects.h"
#include "wordpane.h"

// Every call of the word processor below raises _com_error when it fails (the document closed, the
// application busy or gone, a null object used); the public operations and slots catch it and give
// their empty answer, keeping whatever was done before the failure.

namespace {
IDispatchPtr objectOf(IDispatch* object, DISPID member)
{
    return getProperty(object, member).toDispatch();
}

LONG numberOf(IDispatch* object, DISPID member)
{
    return getProperty(object, member).toLong();
}

QString textOf(IDispatch* object)
{
    return getProperty(object, word::Range::Text).toString();
}

void setUnderline(IDispatch* font, int style, int color)
{
    putProperty(font, word::Font::Underline, style);
    putProperty(font, word::Font::UnderlineColor, color);
}

// A Find of the range with nothing left of an earlier search.
IDispatchPtr freshFind(IDispatch* range)
{
    IDispatchPtr find = objectOf(range, word::Range::Find);
    callMethod(find, word::Find::ClearFormatting);
    callMethod(find, word::Find::ClearAllFuzzyOptions);
    callMethod(find, word::Find::ClearHitHighlight);
    return find;
}

bool executeFind(IDispatch* find)
{
    return callMethod(find, word::Find::Execute).toBool() && getProperty(find, word::Find::Found).toBool();
}

// Never replaces an empty needle: that would insert the replacement between every two characters.
void replaceAll(QString& text, const QString& needle, const QString& replacement)
{
    if (!needle.isEmpty())
        text.replace(needle, replacement, Qt::CaseSensitive);
}

bool passesFilter(const CheckData& result, const QVector<int>& typeFilter)
{
    if (typeFilter.isEmpty())
        return true;
    for (int type : result.errorTypes) {
        if (typeFilter.contains(type))
            return true;
    }
    return false;
}
}

WordHelper::WordHelper() = default;

WordHelper::~WordHelper()
{
    // Marks left behind would be saved or printed with the document later.
    clearErrors(false);
    if (eventSink) {
        // A source that refuses to let go may still call the sink: it must not reach this helper.
        eventSink->setWordHelper(nullptr);
        eventSink->unadvise();
        eventSink->Release();
        eventSink = nullptr;
    }
    delete contextShow;
    delete errorList;
    documents.clear();
    shownRange = nullptr;
    document = nullptr;
    application = nullptr;
    if (comInitialised)
        CoUninitialize();
}

bool WordHelper::attach(HWND hwnd)
{
    try {
        IDispatchPtr app = findApplication(hwnd);
        if (!app)
            return false;
        paneWindow = hwnd;
        setup(hwnd, app);
        return true;
    } catch (const _com_error&) {
        return false;
    }
}

IDispatchPtr WordHelper::findApplication(HWND hwnd)
{
    if (!isWordPane(hwnd))
        return nullptr;
    // Balanced in the destructor; on the GUI thread this only counts up.
    if (!comInitialised)
        comInitialised = SUCCEEDED(CoInitialize(nullptr));

    IDispatch* window = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(hwnd, DWORD(OBJID_NATIVEOM), IID_IDispatch,
                                             reinterpret_cast<void**>(&window))) && window) {
        IDispatchPtr windowObject;
        windowObject.Attach(window);
        try {
            if (IDispatchPtr app = objectOf(windowObject, word::Window::Application))
                return app;
        } catch (const _com_error&) {
            // The running-object table may still know the application.
        }
    }

    CLSID clsid;
    if (FAILED(CLSIDFromProgID(wordProgId, &clsid)))
        return nullptr;
    for (int attempt = 0; attempt < 5; ++attempt) {
        IUnknown* running = nullptr;
        if (FAILED(GetActiveObject(clsid, nullptr, &running)) || !running)
            continue;
        IUnknownPtr object;
        object.Attach(running);
        IDispatchPtr app(object);
        if (app)
            return app;
    }
    return nullptr;
}

void WordHelper::setup(HWND hwnd, IDispatchPtr app)
{
    if (CheckerClient* client = getCheckerClient()) {
        const QString hostId =
            editorWindowTitle(hwnd).toLower().contains(QLatin1String("wps")) ? QStringLiteral("wps")
                                                                             : QStringLiteral("word");
        client->setHost(hostId, getProperty(app, word::Application::Version).toString());
    }

    selectionTimer = new QTimer(this);
    selectionTimer->setSingleShot(true);
    connect(selectionTimer, &QTimer::timeout, this, &WordHelper::timeoutSelectionChange);

    contextShow = new ContextShow;
    connect(contextShow, &ContextShow::apply, this, &WordHelper::onApply);
    connect(contextShow, &ContextShow::undo, this, &WordHelper::onUndo);
    connect(contextShow, &ContextShow::next, this, &WordHelper::onNext);
    connect(contextShow, &ContextShow::prev, this, &WordHelper::onPrev);
    connect(contextShow, &ContextShow::hideDialog, this, &WordHelper::onHideDialog);
    connect(contextShow, &ContextShow::addToDict, this, &WordHelper::onAddToDict);
    connect(contextShow, &ContextShow::reportError, this, &WordHelper::onReportError);
    connect(contextShow, &ContextShow::ignoreAll, this, &WordHelper::onIgnoreAll);
    connect(contextShow, &ContextShow::ignoreOnce, this, &WordHelper::onIgnoreOnce);

    errorList = new WidgetErrorList;
    connect(errorList, &WidgetErrorList::groupClicked, this, &WordHelper::onWidgetErrorListGroupClicked);
    connect(errorList, &WidgetErrorList::apply, this, &WordHelper::onWidgetErrorListApply);
    connect(errorList, &BaseWidget::closeWidget, this, &WordHelper::onWidgetErrorListClose);
    connect(errorList, &WidgetErrorList::errorTypeChanged, this, &WordHelper::onErrorTypeChanged);

    if (EditorManager* manager = getEditorManager())
        connect(manager, &EditorManager::winEvent, this, &WordHelper::winEventProc);

    application = app;
    // Taken now, while this pane has the focus: later the active document may be another one.
    document = objectOf(application, word::Application::ActiveDocument);

    eventSink = new AppEventListener;
    eventSink->advise(application, IID_ApplicationEvents2);
    eventSink->setWordHelper(this);
}

void WordHelper::setTitle(const QString& name)
{
    title = name;
}

HWND WordHelper::documentWindow()
{
    if (paneWindow)
        return paneWindow;
    static HWND lastFound = nullptr;
    if (HWND found = findWordPaneUnder(GetForegroundWindow()))
        lastFound = found;
    return lastFound;
}

IDispatchPtr WordHelper::activeDocument()
{
    if (!document && application)
        document = objectOf(application, word::Application::ActiveDocument);
    return document;
}

bool WordHelper::isOwnDocument(IDispatch* doc)
{
    IDispatchPtr own = activeDocument();
    if (!doc || !own)
        return false;
    return getProperty(doc, word::Document::FullName).toString()
           == getProperty(own, word::Document::FullName).toString();
}

int WordHelper::getCurrentPageNumber()
{
    IDispatchPtr selection = objectOf(application, word::Application::Selection);
    const _variant_t page = getProperty(selection, word::Selection::Information, {word::wdActiveEndPageNumber});
    return page.isEmpty() ? -1 : int(page.toLong());
}

IDispatchPtr WordHelper::selectionRange()
{
    IDispatchPtr selection = objectOf(application, word::Application::Selection);
    return objectOf(selection, word::Selection::Range);
}

IDispatchPtr WordHelper::getPageRange(int page)
{
    IDispatchPtr selection = selectionRange();
    if (!selection)
        return nullptr;
    IDispatchPtr pageRange =
        callMethod(selection, word::Range::GoTo, {word::wdGoToPage, word::wdGoToAbsolute, page, vtMissing}).toDispatch();
    const LONG pageStart = numberOf(pageRange, word::Range::End);
    IDispatchPtr next =
        callMethod(selection, word::Range::GoTo, {word::wdGoToPage, word::wdGoToAbsolute, page + 1, vtMissing})
            .toDispatch();
    LONG end = numberOf(next, word::Range::End);
    if (end < 1 || end == pageStart) {
        // The last page runs to the end of the document.
        end = numberOf(objectOf(activeDocument(), word::Document::Content), word::Range::End);
        if (end < 1 || end == pageStart) {
            callMethod(pageRange, word::Range::Expand, {word::wdParagraph});
            return pageRange;
        }
    }
    putProperty(pageRange, word::Range::End, int(end));
    return pageRange;
}

QString WordHelper::rangeText(IDispatch* range, bool viaClipboard)
{
    if (!viaClipboard)
        return textOf(range);
    callMethod(range, word::Range::Copy);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    if (!copied)
        return QString();
    if (copied->hasHtml())
        return copied->html();
    if (copied->hasText())
        return copied->text();
    return QString();
}

QString WordHelper::getPageText(int page, bool viaClipboard)
{
    IDispatchPtr range = getPageRange(page);
    return range ? rangeText(range, viaClipboard) : QString();
}

QString WordHelper::getCurrentPageText(bool viaClipboard)
{
    try {
        const int page = getCurrentPageNumber();
        return page < 0 ? QString() : getPageText(page, viaClipboard);
    } catch (const _com_error&) {
        return QString();
    }
}

QString WordHelper::getAllPageText(bool viaClipboard)
{
    try {
        return rangeText(objectOf(activeDocument(), word::Document::Content), viaClipboard);
    } catch (const _com_error&) {
        return QString();
    }
}

QString WordHelper::getNextPageText(bool viaClipboard, int count)
{
    if (count > 100)
        return QString();
    try {
        const int first = getCurrentPageNumber();
        if (first < 0)
            return QString();
        QString text;
        LONG previousStart = -1;
        for (int page = first; page < first + count; ++page) {
            IDispatchPtr range = getPageRange(page);
            if (!range)
                break;
            // Past the last page the word processor answers the last page again.
            const LONG start = numberOf(range, word::Range::Start);
            if (start <= previousStart)
                break;
            previousStart = start;
            text += rangeText(range, viaClipboard);
        }
        return text;
    } catch (const _com_error&) {
        return QString();
    }
}

QSharedPointer<WordDocumentData> WordHelper::currentData()
{
    return documents.value(documentWindow());
}

bool WordHelper::hasData()
{
    QSharedPointer<WordDocumentData> data = currentData();
    return data && !data->results.empty();
}

CHECK_DATAS* WordHelper::getCheckDatas()
{
    QSharedPointer<WordDocumentData> data = currentData();
    return data ? &data->results : nullptr;
}

// ---------------------------------------------------------------------------------------------
// Marks and the selection follow-up

void WordHelper::showErrors(const CHECK_DATAS& results, const QVector<int>& typeFilter)
{
    HWND pane = documentWindow();
    if (!pane)
        return;
    // A new result, an empty one too, replaces the old one and its marks.
    clearErrors(false);
    if (results.empty())
        return;
    auto data = QSharedPointer<WordDocumentData>::create(results, typeFilter);
    documents.insert(pane, data);
    try {
        refreshMarks(data);
    } catch (const _com_error&) {
    }
}

void WordHelper::refreshMarks(QSharedPointer<WordDocumentData> data)
{
    if (!data)
        data = currentData();
    if (!data || data->results.empty())
        return;
    const int page = getCurrentPageNumber();
    if (page < 1)
        return;
    IDispatchPtr range = getPageRange(page);
    if (!range)
        return;
    lastPage = page;
    markErrors(data, range);
    timeoutSelectionChange();
}

void WordHelper::markErrors(QSharedPointer<WordDocumentData> data, IDispatch* range)
{
    IDispatchPtr paragraphs = objectOf(range, word::Range::Paragraphs);
    const LONG count = numberOf(paragraphs, word::Paragraphs::Count);
    if (count <= 1) {
        markRange(*data, range);
        return;
    }
    // Paragraph by paragraph keeps each text read short.
    for (LONG i = 1; i <= count; ++i) {
        IDispatchPtr paragraph = callMethod(paragraphs, word::Paragraphs::Item, {int(i)}).toDispatch();
        markRange(*data, objectOf(paragraph, word::Paragraph::Range));
    }
}

void WordHelper::markRange(WordDocumentData& data, IDispatch* range)
{
    IDispatchPtr doc = activeDocument();
    if (!doc)
        return;
    const QString text = textOf(range);
    if (text.isEmpty())
        return;
    const LONG base = numberOf(range, word::Range::Start);
    for (size_t id = 0; id < data.results.size(); ++id) {
        const std::shared_ptr<CheckData>& result = data.results[id];
        if (!result || !passesFilter(*result, data.typeFilter))
            continue;
        const QString needle = QString::fromUtf8(result->words.c_str());
        if (needle.isEmpty())
            continue;
        for (int pos = text.indexOf(needle, 0, Qt::CaseSensitive); pos >= 0;
             pos = text.indexOf(needle, pos + needle.size(), Qt::CaseSensitive)) {
            const int start = int(base) + pos;
            IDispatchPtr occurrence = callMethod(doc, word::Document::Range, {start, start + int(needle.size())}).toDispatch();
            // The document changed since the check: the text is no longer there.
            if (textOf(occurrence) != needle)
                continue;
            auto mark = QSharedPointer<WordMark>::create(occurrence, int(id));
            IDispatchPtr font = objectOf(occurrence, word::Range::Font);
            const int underline = int(numberOf(font, word::Font::Underline));
            const int color = int(numberOf(font, word::Font::UnderlineColor));
            const bool alreadyMark = underline == markUnderline && color == markColor;
            const bool mixed = underline == word::wdUndefined || color == word::wdUndefined;
            if (!alreadyMark && !mixed) {
                mark->savedUnderline = underline;
                mark->savedColor = color;
            }
            // Recorded before the underline is written, so a failing write still gets undone.
            data.marks.append(mark);
            setUnderline(font, markUnderline, markColor);
            putProperty(occurrence, word::Range::Font, font);
        }
    }
}

bool WordHelper::isMark(IDispatch* range)
{
    IDispatchPtr font = objectOf(range, word::Range::Font);
    return numberOf(font, word::Font::Underline) == markUnderline
           && numberOf(font, word::Font::UnderlineColor) == markColor;
}

void WordHelper::unmarkRange(IDispatch* range)
{
    if (isMark(range))
        setUnderline(objectOf(range, word::Range::Font), word::wdUnderlineNone, word::wdColorAutomatic);
}

void WordHelper::removeAllMarks()
{
    IDispatchPtr content = objectOf(activeDocument(), word::Document::Content);
    IDispatchPtr find = objectOf(content, word::Range::Find);
    callMethod(find, word::Find::ClearFormatting);
    setUnderline(objectOf(find, word::Find::Font), markUnderline, markColor);
    IDispatchPtr replacement = objectOf(find, word::Find::Replacement);
    callMethod(replacement, word::Replacement::ClearFormatting);
    setUnderline(objectOf(replacement, word::Replacement::Font), word::wdUnderlineNone, word::wdColorAutomatic);
    word::findExecute(find, true, true, word::wdReplaceAll);
}

void WordHelper::clearErrors(bool keepResults)
{
    appliedOld.clear();
    appliedNew.clear();
    appliedIndex = -1;
    appliedData.reset();
    appliedStart = -1;
    if (contextShow) {
        contextShow->enableUndo(false);
        contextShow->hide();
    }
    shownRange = nullptr;
    if (!keepResults && errorList) {
        errorList->setCheckData(CHECK_DATAS(), QString());
        listResults.clear();
    }
    lastPage = -1;
    if (HWND pane = documentWindow()) {
        // The user's own underlines come back before the sweep below takes off what is left.
        if (QSharedPointer<WordDocumentData> data = documents.value(pane))
            data->restoreAllMarks();
        if (!keepResults)
            documents.remove(pane);
    }
    if (!application)
        return;
    try {
        removeAllMarks();
    } catch (const _com_error&) {
    }
}

void WordHelper::timeoutSelectionChange()
{
    if (selectionTimer)
        selectionTimer->stop();
    if (documents.isEmpty() || !contextShow)
        return;
    try {
        const int page = getCurrentPageNumber();
        if (page != lastPage) {
            clearErrors(true);
            // Runs the follow-up again once the new page is marked.
            refreshMarks(currentData());
            return;
        }
        IDispatchPtr selection = selectionRange();
        if (!selection || !isMark(selection)) {
            shownStart = shownEnd = -1;
            shownRange = nullptr;
            hidePopup();
            return;
        }
        const LONG selStart = numberOf(selection, word::Range::Start);
        const LONG selEnd = numberOf(selection, word::Range::End);
        const bool shownInside = shownStart >= selStart && shownEnd <= selEnd;
        const bool selectionInside = selStart >= shownStart && selEnd <= shownEnd;
        if (contextShow->isVisible() && (shownInside || selectionInside))
            return;
        showErrorAt(selection);
    } catch (const _com_error&) {
    }
}

void WordHelper::showErrorAt(IDispatchPtr range)
{
    if (!tipEnabled)
        return;
    shownRange = nullptr;
    QSharedPointer<WordDocumentData> data = currentData();
    if (!data || !range || !contextShow)
        return;
    const LONG start = numberOf(range, word::Range::Start);
    if (start == shownStart && shownEnd != shownStart) {
        hidePopup();
    } else {
        expandMarkedRange(*data, range);
        const QString text = textOf(range);
        LONG left = 0, top = 0, width = 0, height = 0;
        IDispatchPtr window = objectOf(application, word::Application::ActiveWindow);
        callMethod(window, word::Window::GetPoint,
                   {_variant_t::byRef(&left), _variant_t::byRef(&top), _variant_t::byRef(&width),
                    _variant_t::byRef(&height), range});
        contextShow->hide();
        if (contextShow->showCheckData(data->results, text)) {
            popupResults = data->results;
            contextShow->show();
            QRect errorRect(left, top, width, height);
            contextShow->move(left + 2, top + height, errorRect);
            callMethod(range, word::Range::Select);
            shownRange = range;
        }
    }
    shownStart = numberOf(range, word::Range::Start);
    shownEnd = numberOf(range, word::Range::End);
}

void WordHelper::expandMarkedRange(const WordDocumentData& data, IDispatch* range)
{
    LONG start = numberOf(range, word::Range::Start);
    LONG end = numberOf(range, word::Range::End);
    // Marks that touch share one look, so the look alone would run on into the neighbour: the
    // marks placed here know where each error begins and ends.
    if (IDispatchPtr mark = placedMarkAt(data, start)) {
        callMethod(range, word::Range::SetRange,
                   {int(numberOf(mark, word::Range::Start)), int(numberOf(mark, word::Range::End))});
        return;
    }
    const bool collapsed = start == end;
    bool grown = false;
    IDispatchPtr unit = range;
    for (int i = 0; i < 20; ++i) {
        IDispatchPtr next = callMethod(unit, word::Range::Next, {word::wdCharacter, 1}).toDispatch();
        if (!next || !isMark(next))
            break;
        end = numberOf(next, word::Range::End);
        unit = next;
        grown = true;
    }
    if (!grown && collapsed)
        end += 1;
    unit = range;
    for (int i = 0; i < 20; ++i) {
        IDispatchPtr previous = callMethod(unit, word::Range::Previous, {word::wdCharacter, 1}).toDispatch();
        if (!previous || !isMark(previous))
            break;
        start = numberOf(previous, word::Range::Start);
        unit = previous;
    }
    callMethod(range, word::Range::SetRange, {int(start), int(end)});
}

IDispatchPtr WordHelper::placedMarkAt(const WordDocumentData& data, LONG position)
{
    // The mark holding the character at position; else, for a caret just behind a mark, that one.
    IDispatchPtr endingHere;
    for (const QSharedPointer<WordMark>& mark : data.marks) {
        const LONG start = numberOf(mark->range, word::Range::Start);
        const LONG end = numberOf(mark->range, word::Range::End);
        if (start <= position && position < end && isMark(mark->range))
            return mark->range;
        if (!endingHere && end == position && start < end && isMark(mark->range))
            endingHere = mark->range;
    }
    return endingHere;
}

bool WordHelper::findNextMark(bool forward)
{
    IDispatchPtr range = selectionRange();
    // From the error the pop-up shows, also when the caret only sits at its start.
    if (shownRange) {
        const LONG start = numberOf(shownRange, word::Range::Start);
        const LONG end = numberOf(shownRange, word::Range::End);
        callMethod(range, word::Range::SetRange, {int(start), int(end)});
        // Find takes marks that touch as one stretch and would pass over the neighbour.
        if (QSharedPointer<WordDocumentData> data = currentData()) {
            const LONG edge = forward ? end : start;
            IDispatchPtr neighbour = placedMarkAt(*data, forward ? end : start - 1);
            if (neighbour && numberOf(neighbour, forward ? word::Range::Start : word::Range::End) == edge) {
                callMethod(neighbour, word::Range::Select);
                return true;
            }
        }
    }
    IDispatchPtr find = freshFind(range);
    putProperty(find, word::Find::Forward, forward);
    putProperty(find, word::Find::Wrap, word::wdFindContinue);
    setUnderline(objectOf(find, word::Find::Font), markUnderline, markColor);
    if (executeFind(find)) {
        callMethod(range, word::Range::Select);
        return true;
    }
    hidePopup();
    return false;
}

bool WordHelper::onNext()
{
    try {
        return findNextMark(true);
    } catch (const _com_error&) {
        return false;
    }
}

bool WordHelper::onPrev()
{
    try {
        return findNextMark(false);
    } catch (const _com_error&) {
        return false;
    }
}

void WordHelper::hidePopup()
{
    if (contextShow)
        contextShow->hide();
}

void WordHelper::onErrorTypeChanged(int type)
{
    clearErrors(true);
    QSharedPointer<WordDocumentData> data = currentData();
    if (!data)
        return;
    data->typeFilter.clear();
    if (type >= 0)
        data->typeFilter.append(type);
    try {
        refreshMarks(data);
    } catch (const _com_error&) {
    }
}

void WordHelper::enableErrorTip(bool on)
{
    tipEnabled = on;
    if (!on)
        hidePopup();
}

void WordHelper::winEventProc(IUnknown*, HWINEVENTHOOK, DWORD event, HWND hwnd, LONG, LONG, DWORD, DWORD,
                              bool focusChanged)
{
    if (event != EVENT_OBJECT_FOCUS || !contextShow || !errorList)
        return;
    if (focusChanged) {
        if (hwnd == documentWindow() && listShown)
            errorList->show();
        else
            errorList->hide();
        return;
    }
    // Our own windows taking the focus must not hide themselves.
    if (hwnd == reinterpret_cast<HWND>(contextShow->winId()) || hwnd == reinterpret_cast<HWND>(errorList->winId()))
        return;
    contextShow->hide();
    errorList->hide();
}

// ---------------------------------------------------------------------------------------------
// Application events

HRESULT WordHelper::onWordEvent(DISPID dispId, DISPPARAMS* params)
{
    const UINT count = params ? params->cArgs : 0;
    if (dispId == word::AppEvent::DocumentBeforeClose || dispId == word::AppEvent::DocumentBeforeSave) {
        hidePopup();
    } else if (dispId == word::AppEvent::WindowDeactivate && contextShow && errorList) {
        if (!contextShow->isActiveWindow() && !errorList->isActiveWindow()) {
            contextShow->hide();
            errorList->hide();
        }
    }

    // The first declared argument comes last.
    IDispatchPtr eventDocument;
    if (count > 0 && params->rgvarg[count - 1].vt == VT_DISPATCH)
        eventDocument = params->rgvarg[count - 1].pdispVal;

    try {
        switch (dispId) {
        case word::AppEvent::WindowSelectionChange:
            if (count != 1)
                return E_INVALIDARG;
            if (eventDocument && isOwnDocument(objectOf(eventDocument, word::Selection::Document)))
                selectionTimer->start(10);
            break;
        case word::AppEvent::DocumentBeforeClose:
        case word::AppEvent::DocumentBeforePrint:
        case word::AppEvent::DocumentBeforeSave:
        case word::AppEvent::WindowActivate: {
            const UINT expected = dispId == word::AppEvent::DocumentBeforeSave ? 3 : 2;
            if (count != expected)
                return E_INVALIDARG;
            if (!isOwnDocument(eventDocument))
                break;
            if (dispId == word::AppEvent::DocumentBeforeClose)
                clearErrors(false);
            else if (dispId == word::AppEvent::WindowActivate)
                showListIfOpen();
            else
                // Neither printed nor saved with the document; the next selection change marks again.
                clearErrors(true);
            break;
        }
        case word::AppEvent::DocumentChange:
            if (!errorList)
                break;
            errorList->hide();
            if (listShown && isOwnDocument(objectOf(application, word::Application::ActiveDocument)))
                errorList->show();
            break;
        default:
            break;
        }
    } catch (const _com_error&) {
    }
    return S_OK;
}

void WordHelper::showListIfOpen()
{
    if (!errorList)
        return;
    if (listShown)
        errorList->show();
    else
        errorList->hide();
}

// ---------------------------------------------------------------------------------------------
// Corrections, reports and the error list

void WordHelper::onApply(QString, int itemIndex, QString, int groupIndex)
{
    try {
        applySuggestion(shownRange, popupResults, itemIndex, groupIndex);
    } catch (const _com_error&) {
    }
}

void WordHelper::onWidgetErrorListApply(QString, int itemIndex, QString, int groupIndex)
{
    if (groupIndex < 0 || size_t(groupIndex) >= listResults.size() || !listResults[size_t(groupIndex)])
        return;
    const QString words = QString::fromUtf8(listResults[size_t(groupIndex)]->words.c_str());
    try {
        IDispatchPtr target;
        if (shownRange && !words.isEmpty() && textOf(shownRange).contains(words))
            target = shownRange;
        else
            target = findOccurrence(words);
        if (!target) {
            strikeOutGroup(groupIndex);
            return;
        }
        // The list acts on the group's own words, never on what an earlier correction inserted.
        appliedData.reset();
        applySuggestion(target, listResults, itemIndex, groupIndex);
    } catch (const _com_error&) {
    }
}

void WordHelper::applySuggestion(IDispatchPtr range, const CHECK_DATAS& shownResults, int itemIndex, int groupIndex)
{
    std::shared_ptr<CheckData> record;
    if (groupIndex >= 0 && size_t(groupIndex) < shownResults.size())
        record = shownResults[size_t(groupIndex)];
    // Another occurrence of the same result is another error: its words are still the flagged ones.
    const LONG start = range ? numberOf(range, word::Range::Start) : -1;
    if (!record || record != appliedData || start != appliedStart) {
        appliedOld.clear();
        appliedNew.clear();
        if (contextShow)
            contextShow->enableUndo(false);
    }
    appliedData = record;
    appliedIndex = groupIndex;
    appliedStart = start;

    QSharedPointer<WordDocumentData> data = currentData();
    if (!data || !range || !record)
        return;
    QString text = textOf(range);
    if (text.isEmpty())
        return;
    QString words;
    QString replacement;
    if (!CheckerClient::getReplaceText(shownResults, groupIndex, itemIndex, words, replacement))
        return;
    if (appliedOld.isEmpty())
        appliedOld = words;
    else
        words = appliedNew;
    appliedNew = replacement;
    if (contextShow)
        contextShow->enableUndo(true);
    replaceAll(text, words, replacement);
    if (!data->removeMarks(range, false))
        unmarkRange(range);
    putProperty(range, word::Range::Text, text);
    followShownRange();
}

void WordHelper::followShownRange()
{
    // A correction of another length moves the shown error's end: the caret reaching the next mark
    // must not count as still inside this one.
    if (!shownRange)
        return;
    shownStart = numberOf(shownRange, word::Range::Start);
    shownEnd = numberOf(shownRange, word::Range::End);
}

bool WordHelper::onUndo()
{
    try {
        QSharedPointer<WordDocumentData> data = currentData();
        if (!data || !shownRange)
            return false;
        QString text = textOf(shownRange);
        if (text.isEmpty())
            return false;
        const QString inserted = appliedNew;
        appliedNew = appliedOld;
        replaceAll(text, inserted, appliedOld);
        putProperty(shownRange, word::Range::Text, text);
        followShownRange();
        // The correction took the result away with its mark; it comes back with the words.
        if (appliedData && std::find(data->results.begin(), data->results.end(), appliedData) == data->results.end())
            data->results.push_back(appliedData);
        markErrors(data, shownRange);
        if (contextShow)
            contextShow->enableUndo(false);
        return true;
    } catch (const _com_error&) {
        return false;
    }
}

void WordHelper::onHideDialog()
{
}

void WordHelper::ignore(bool all)
{
    try {
        QSharedPointer<WordDocumentData> data = currentData();
        if (!data || !shownRange)
            return;
        if (!data->removeMarks(shownRange, all))
            unmarkRange(shownRange);
    } catch (const _com_error&) {
    }
}

void WordHelper::onIgnoreOnce()
{
    ignore(false);
}

void WordHelper::onIgnoreAll()
{
    ignore(true);
}

IDispatchPtr WordHelper::shownOrSelectedRange()
{
    return shownRange ? shownRange : selectionRange();
}

void WordHelper::onAddToDict()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    QString text;
    try {
        text = textOf(shownOrSelectedRange());
    } catch (const _com_error&) {
        return;
    }
    client->addToDict(text);
}

void WordHelper::onReportError()
{
    reportError();
}

void WordHelper::reportError()
{
    QString errorText;
    QString sentence;
    try {
        if (IDispatchPtr range = shownOrSelectedRange()) {
            errorText = textOf(range);
            // A copy is widened: the shown range must keep covering the error alone.
            IDispatchPtr around = callMethod(activeDocument(), word::Document::Range,
                                             {int(numberOf(range, word::Range::Start)),
                                              int(numberOf(range, word::Range::End))})
                                      .toDispatch();
            callMethod(around, word::Range::Expand, {word::wdSentence});
            sentence = textOf(around);
        }
    } catch (const _com_error&) {
    }
    if (CheckerClient* client = getCheckerClient())
        client->reportError(errorText, sentence);
}

bool WordHelper::showErrorList()
{
    QSharedPointer<WordDocumentData> data = currentData();
    if (!data || !errorList)
        return false;
    errorList->setCheckData(data->results, title);
    listResults = data->results;
    errorList->showAsDialog();
    listShown = true;
    return true;
}

void WordHelper::onWidgetErrorListClose()
{
    listShown = false;
}

void WordHelper::onWidgetErrorListGroupClicked(ErrorsListGroup* group)
{
    if (!group)
        return;
    bool found = false;
    try {
        found = findOccurrence(group->title()) != nullptr;
    } catch (const _com_error&) {
    }
    if (!found)
        group->enableGroup(false);
    HWND pane = documentWindow();
    if (HWND root = GetAncestor(pane, GA_ROOTOWNER))
        SetForegroundWindow(root);
    SetFocus(pane);
}

IDispatchPtr WordHelper::findOccurrence(const QString& text)
{
    IDispatchPtr range = selectionRange();
    IDispatchPtr find = freshFind(range);
    putProperty(find, word::Find::Text, text);
    putProperty(find, word::Find::MatchCase, true);
    putProperty(find, word::Find::Wrap, word::wdFindContinue);
    if (!executeFind(find))
        return nullptr;
    callMethod(range, word::Range::Select);
    return range;
}

void WordHelper::strikeOutGroup(int groupIndex)
{
    if (!errorList)
        return;
    if (auto* list = errorList->findChild<ErrorsList*>())
        list->enableGroupAt(groupIndex, false);
}
