#include "wordhelper.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QTimer>

#include <algorithm>
#include <list>
#include <map>
#include <set>

#include "accessible.h"
#include "appeventlistener.h"
#include "checkerclient.h"
#include "comapi.h"
#include "contextshow.h"
#include "diff.h"
#include "editormanager.h"
#include "editorname.h"
#include "errorslist.h"
#include "errorslistgroup.h"
#include "flaggedoccurrences.h"
#include "widgeterrorlist.h"
#include "wordobjects.h"
#include "wordpane.h"

// The word processor may fail any call below at any time: its document was closed, it is busy or
// has quit, or an object came back null. The failure arrives as _com_error; public operations and
// slots catch it and return their empty answer. Work done before the failure is not rolled back.

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
        if (!app)
            continue;
        // The running application may be another program's: its document is not this pane's.
        return ownsPane(app, hwnd) ? app : nullptr;
    }
    return nullptr;
}

bool WordHelper::ownsPane(IDispatch* app, HWND hwnd)
{
    try {
        IDispatchPtr windows = objectOf(app, word::Application::Windows);
        const LONG count = numberOf(windows, word::Windows::Count);
        for (LONG i = 1; i <= count; ++i) {
            IDispatchPtr window = callMethod(windows, word::Windows::Item, {int(i)}).toDispatch();
            if (numberOf(window, word::Window::Hwnd) == LONG(reinterpret_cast<intptr_t>(hwnd)))
                return true;
        }
    } catch (const _com_error&) {
    }
    return false;
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

IDispatchPtr WordHelper::ownWindow()
{
    // The own document's window, not the application's active one: the user may switch to another
    // document while a check runs, and its marks still belong here.
    return objectOf(activeDocument(), word::Document::ActiveWindow);
}

IDispatchPtr WordHelper::ownSelection()
{
    return objectOf(ownWindow(), word::Window::Selection);
}

int WordHelper::getCurrentPageNumber()
{
    IDispatchPtr selection = ownSelection();
    const _variant_t page = getProperty(selection, word::Selection::Information, {word::wdActiveEndPageNumber});
    return page.isEmpty() ? -1 : int(page.toLong());
}

IDispatchPtr WordHelper::selectionRange()
{
    return objectOf(ownSelection(), word::Selection::Range);
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
    if (!range)
        return QString();
    const QString text = rangeText(range, viaClipboard);
    rememberRead(range, text, viaClipboard);
    return text;
}

void WordHelper::rememberRead(IDispatchPtr range, const QString& text, bool viaClipboard)
{
    // Plain text read is what a check sends; the service's positions count in it. A read while a
    // check runs is for a check that will be refused: the running one's text must stay.
    CheckerClient* client = getCheckerClient();
    if (viaClipboard || (client && client->isChecking()))
        return;
    checkedRange = range;
    checkedText = text.toStdU16String();
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
        IDispatchPtr content = objectOf(activeDocument(), word::Document::Content);
        const QString text = rangeText(content, viaClipboard);
        rememberRead(content, text, viaClipboard);
        return text;
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
        LONG firstStart = -1;
        LONG lastEnd = -1;
        for (int page = first; page < first + count; ++page) {
            IDispatchPtr range = getPageRange(page);
            if (!range)
                break;
            // Past the last page the word processor answers the last page again.
            const LONG start = numberOf(range, word::Range::Start);
            if (start <= previousStart)
                break;
            previousStart = start;
            if (firstStart < 0)
                firstStart = start;
            lastEnd = numberOf(range, word::Range::End);
            text += rangeText(range, viaClipboard);
        }
        if (firstStart >= 0)
            rememberRead(callMethod(activeDocument(), word::Document::Range, {int(firstStart), int(lastEnd)}).toDispatch(),
                         text, viaClipboard);
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

void WordHelper::holdPlaces(WordDocumentData& data)
{
    IDispatchPtr doc = activeDocument();
    // The whole text is read only for results that stand for every occurrence.
    std::u16string whole;
    bool wholeRead = false;
    // The service's positions count in the text it was sent; the user may have typed since, so they
    // are carried over the edits into the stretch as it reads now.
    const bool read = !checkedText.empty() && checkedRange;
    LONG base = 0;
    std::list<Diff> edits;
    if (read) {
        base = numberOf(checkedRange, word::Range::Start);
        edits = TextDiff().diff(checkedText, textOf(checkedRange).toStdU16String());
    }
    std::vector<WordDocumentData::Place> places;
    for (const std::shared_ptr<CheckData>& result : data.results) {
        if (!result)
            continue;
        const std::u16string words = QString::fromUtf8(result->words.c_str()).toStdU16String();
        const FlaggedOccurrences flagged(read ? checkedText : std::u16string(), *result);
        std::vector<size_t> starts;
        LONG offset = 0;
        if (read && !flagged.everyOccurrence()) {
            starts = flagged.startsAfterEdits(checkedText, edits, words);
            offset = base;
        } else {
            // Without places (or without the text they count in) every occurrence there is now counts.
            if (!wholeRead) {
                whole = textOf(objectOf(doc, word::Document::Content)).toStdU16String();
                wholeRead = true;
            }
            starts = FlaggedOccurrences::find(whole, words);
        }
        for (size_t start : starts) {
            const int from = int(offset) + int(start);
            IDispatchPtr range =
                callMethod(doc, word::Document::Range, {from, from + int(words.size())}).toDispatch();
            places.push_back({range, result});
        }
    }
    data.places = std::move(places);
    data.placesHeld = true;
}

void WordHelper::refreshMarks(QSharedPointer<WordDocumentData> data)
{
    if (!data)
        data = currentData();
    if (!data)
        return;
    const int page = getCurrentPageNumber();
    if (page < 1)
        return;
    if (data->results.empty()) {
        // Nothing to mark on this page either: the next caret move on it has nothing to redo.
        lastPage = page;
        return;
    }
    // Held once; a word processor too busy to answer when the results came is asked again here.
    if (!data->placesHeld)
        holdPlaces(*data);
    IDispatchPtr range = getPageRange(page);
    if (!range)
        return;
    lastPage = page;
    data->dormant.clear();
    markErrors(data, range);
    timeoutSelectionChange();
}

void WordHelper::markErrors(QSharedPointer<WordDocumentData> data, IDispatch* range)
{
    // Only the held places are drawn: nothing is searched or counted again, so words the user typed
    // later, or the same words where they are right, are never marked.
    std::set<IDispatch*> drawn;
    for (const QSharedPointer<WordMark>& mark : qAsConst(data->marks))
        drawn.insert(mark->range.GetInterfacePtr());
    std::map<const CheckData*, int> ids;
    for (size_t id = 0; id < data->results.size(); ++id)
        ids.emplace(data->results[id].get(), int(id));
    for (const WordDocumentData::Place& place : data->places) {
        if (!place.result || drawn.count(place.range.GetInterfacePtr()) || !passesFilter(*place.result, data->typeFilter))
            continue;
        if (!callMethod(place.range, word::Range::InRange, {range}).toBool())
            continue;
        // Edited words are no error of the service's any more, unless an undo brings them back.
        if (!WordDocumentData::holdsWords(place)) {
            data->dormant.insert(place.range.GetInterfacePtr());
            continue;
        }
        drawPlace(*data, place, ids);
    }
}

void WordHelper::drawRevivedPlaces(WordDocumentData& data)
{
    if (data.dormant.empty())
        return;
    std::map<const CheckData*, int> ids;
    for (size_t id = 0; id < data.results.size(); ++id)
        ids.emplace(data.results[id].get(), int(id));
    for (const WordDocumentData::Place& place : data.places) {
        if (!data.dormant.count(place.range.GetInterfacePtr()) || !passesFilter(*place.result, data.typeFilter)
            || !WordDocumentData::holdsWords(place))
            continue;
        data.dormant.erase(place.range.GetInterfacePtr());
        drawPlace(data, place, ids);
    }
}

void WordHelper::drawPlace(WordDocumentData& data, const WordDocumentData::Place& place,
                           std::map<const CheckData*, int>& ids)
{
    auto id = ids.find(place.result.get());
    if (id == ids.end()) {
        // Its words came back (an undo): so does its result.
        data.restoreResult(place.result);
        id = ids.emplace(place.result.get(), data.indexOf(place.result)).first;
    }
    auto mark = QSharedPointer<WordMark>::create(place.range, id->second);
    IDispatchPtr font = objectOf(place.range, word::Range::Font);
    saveUnderline(data, *mark, place.range, font);
    // Recorded before the underline is written, so a failing write still gets undone.
    data.marks.append(mark);
    lookPlaced = true;
    setUnderline(font, markUnderline, markColor);
    putProperty(place.range, word::Range::Font, font);
}

void WordHelper::saveUnderline(const WordDocumentData& data, WordMark& mark, IDispatch* occurrence, IDispatch* font)
{
    const int underline = int(numberOf(font, word::Font::Underline));
    const int color = int(numberOf(font, word::Font::UnderlineColor));
    if (underline != word::wdUndefined && color != word::wdUndefined
        && !(underline == markUnderline && color == markColor)) {
        mark.save(occurrence, underline, color);
        return;
    }
    // Parts already under another placed mark are that mark's to give back.
    const LONG start = numberOf(occurrence, word::Range::Start);
    const LONG end = numberOf(occurrence, word::Range::End);
    std::vector<std::pair<LONG, LONG>> covered;
    for (const QSharedPointer<WordMark>& other : data.marks) {
        const LONG otherStart = numberOf(other->range, word::Range::Start);
        const LONG otherEnd = numberOf(other->range, word::Range::End);
        if (otherStart < end && otherEnd > start)
            covered.push_back({otherStart, otherEnd});
    }
    std::sort(covered.begin(), covered.end());
    LONG from = start;
    for (const auto& [coveredStart, coveredEnd] : covered) {
        if (coveredStart > from)
            saveStretch(mark, from, std::min(coveredStart, end));
        from = std::max(from, coveredEnd);
    }
    if (from < end)
        saveStretch(mark, from, end);
}

void WordHelper::saveStretch(WordMark& mark, LONG start, LONG end)
{
    IDispatchPtr stretch = callMethod(activeDocument(), word::Document::Range, {int(start), int(end)}).toDispatch();
    IDispatchPtr font = objectOf(stretch, word::Range::Font);
    const int underline = int(numberOf(font, word::Font::Underline));
    const int color = int(numberOf(font, word::Font::UnderlineColor));
    const bool mixed = underline == word::wdUndefined || color == word::wdUndefined;
    if (mixed && end - start > 1) {
        // The user's underline covers part of it: each part keeps its own.
        const LONG middle = start + (end - start) / 2;
        saveStretch(mark, start, middle);
        saveStretch(mark, middle, end);
        return;
    }
    // Text that already looked like a mark has no underline of its own to give back.
    if (mixed || (underline == markUnderline && color == markColor))
        mark.save(stretch, word::wdUnderlineNone, word::wdColorAutomatic);
    else
        mark.save(stretch, underline, color);
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
    IDispatchPtr find = freshFind(content);
    setUnderline(objectOf(find, word::Find::Font), markUnderline, markColor);
    IDispatchPtr replacement = objectOf(find, word::Find::Replacement);
    callMethod(replacement, word::Replacement::ClearFormatting);
    setUnderline(objectOf(replacement, word::Replacement::Font), word::wdUnderlineNone, word::wdColorAutomatic);
    // The user's last search stays in the Find settings: any text left there would restrict the
    // sweep to that text, so every setting it relies on is given.
    word::findExecute(find, QString(), false, true, word::wdFindStop, true, QString(), word::wdReplaceAll);
    lookPlaced = false;
}

void WordHelper::clearErrors(bool keepResults)
{
    disarmUndo();
    appliedIndex = -1;
    hidePopup();
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
    // Nothing marked since the last sweep: nothing to take off, and no sweep of the whole document.
    if (!application || !lookPlaced)
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
        if (QSharedPointer<WordDocumentData> data = currentData(); data && selection) {
            clearStrayLook(*data, selection);
            // A place of this page whose words came back (the word processor's own undo) is drawn again.
            drawRevivedPlaces(*data);
        }
        if (listShown)
            refreshListLook();
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
        IDispatchPtr window = ownWindow();
        callMethod(window, word::Window::GetPoint,
                   {_variant_t::byRef(&left), _variant_t::byRef(&top), _variant_t::byRef(&width),
                    _variant_t::byRef(&height), range});
        contextShow->hide();
        const CHECK_DATAS shown = resultsMarkedIn(*data, range);
        if (contextShow->showCheckData(shown, text)) {
            // Undo belongs to the correction just made, not to the error shown now.
            if (numberOf(range, word::Range::Start) != appliedStart)
                disarmUndo();
            popupResults = shown;
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

CHECK_DATAS WordHelper::resultsMarkedIn(const WordDocumentData& data, IDispatch* range)
{
    // Equal words may stand for different errors at different places: the pop-up offers what the
    // service gave for the places marked here. The others stay as empty entries, so that an entry's
    // index is the result's.
    CHECK_DATAS shown(data.results.size());
    for (const QSharedPointer<WordMark>& mark : data.marks) {
        if (mark->id >= 0 && size_t(mark->id) < shown.size()
            && callMethod(mark->range, word::Range::InRange, {range}).toBool())
            shown[size_t(mark->id)] = data.results[size_t(mark->id)];
    }
    return shown;
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

bool WordHelper::placedMarkHolds(const WordDocumentData& data, LONG position)
{
    for (const QSharedPointer<WordMark>& mark : data.marks) {
        if (numberOf(mark->range, word::Range::Start) <= position && position < numberOf(mark->range, word::Range::End))
            return true;
    }
    return false;
}

void WordHelper::clearStrayLook(const WordDocumentData& data, IDispatch* selection)
{
    // Text typed right behind a mark takes on its look without being one; only text before the
    // caret can have been typed there, so only that is looked at, and only when it has the look.
    IDispatchPtr unit = callMethod(selection, word::Range::Previous, {word::wdCharacter, 1}).toDispatch();
    if (!unit || !isMark(unit))
        return;
    LONG start = numberOf(unit, word::Range::Start);
    const LONG end = numberOf(unit, word::Range::End);
    if (placedMarkHolds(data, start))
        return;
    for (int i = 0; i < 20; ++i) {
        IDispatchPtr previous = callMethod(unit, word::Range::Previous, {word::wdCharacter, 1}).toDispatch();
        if (!previous || !isMark(previous))
            break;
        const LONG previousStart = numberOf(previous, word::Range::Start);
        if (placedMarkHolds(data, previousStart))
            break;
        start = previousStart;
        unit = previous;
    }
    IDispatchPtr stray = callMethod(activeDocument(), word::Document::Range, {int(start), int(end)}).toDispatch();
    setUnderline(objectOf(stray, word::Range::Font), word::wdUnderlineNone, word::wdColorAutomatic);
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
    // Every setting is given: the Find settings keep whatever the user's last search left there.
    putProperty(find, word::Find::Text, QString());
    putProperty(find, word::Find::MatchCase, false);
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
    const std::shared_ptr<CheckData>& result = listResults[size_t(groupIndex)];
    QSharedPointer<WordDocumentData> data = currentData();
    try {
        // Only an occurrence marked for this result: the same words may be right elsewhere.
        IDispatchPtr target = data ? markedOccurrence(*data, result) : nullptr;
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

IDispatchPtr WordHelper::markedOccurrence(const WordDocumentData& data, const std::shared_ptr<CheckData>& result,
                                          bool movingOn)
{
    if (data.indexOf(result) < 0 || !passesFilter(*result, data.typeFilter))
        return nullptr;
    IDispatchPtr selection = selectionRange();
    const LONG selStart = numberOf(selection, word::Range::Start);
    const LONG selEnd = numberOf(selection, word::Range::End);
    bool haveAfter = false;
    bool haveFirst = false;
    std::pair<LONG, LONG> after;
    std::pair<LONG, LONG> first;
    // The result's held places, on any page: the caret's page is marked again once one is selected.
    for (const WordDocumentData::Place& place : data.places) {
        if (place.result != result || !WordDocumentData::holdsWords(place))
            continue;
        const LONG start = numberOf(place.range, word::Range::Start);
        const LONG end = numberOf(place.range, word::Range::End);
        // The error the selection covers (the one shown) counts as after the caret.
        const bool isAfter = start >= selEnd || (!movingOn && start >= selStart && end <= selEnd);
        if (isAfter && (!haveAfter || start < after.first)) {
            after = {start, end};
            haveAfter = true;
        }
        if (!haveFirst || start < first.first) {
            first = {start, end};
            haveFirst = true;
        }
    }
    if (!haveFirst)
        return nullptr;
    const std::pair<LONG, LONG> chosen = haveAfter ? after : first;
    IDispatchPtr target =
        callMethod(activeDocument(), word::Document::Range, {int(chosen.first), int(chosen.second)}).toDispatch();
    callMethod(target, word::Range::Select);
    return target;
}

void WordHelper::disarmUndo()
{
    appliedOld.clear();
    appliedNew.clear();
    appliedData.reset();
    appliedPlace = nullptr;
    appliedStart = -1;
    if (contextShow)
        contextShow->enableUndo(false);
}

void WordHelper::applySuggestion(IDispatchPtr range, const CHECK_DATAS& shownResults, int itemIndex, int groupIndex)
{
    std::shared_ptr<CheckData> record;
    if (groupIndex >= 0 && size_t(groupIndex) < shownResults.size())
        record = shownResults[size_t(groupIndex)];
    // Another occurrence of the same result is another error: its words are still the flagged ones.
    const LONG start = range ? numberOf(range, word::Range::Start) : -1;
    if (!record || record != appliedData || start != appliedStart)
        disarmUndo();
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
    const bool first = appliedOld.isEmpty();
    if (!first)
        words = appliedNew;
    // The user changed the words meanwhile: nothing is replaced, so nothing is done.
    if (words.isEmpty() || !text.contains(words))
        return;
    if (first) {
        appliedOld = words;
        appliedPlace = placeAt(*data, record, range);
        // An undo of the word processor's own may bring the words back.
        if (appliedPlace)
            data->dormant.insert(appliedPlace.GetInterfacePtr());
    }
    appliedNew = replacement;
    if (contextShow)
        contextShow->enableUndo(true);
    replaceAll(text, words, replacement);
    if (data->removeMarks(range, false).empty())
        unmarkRange(range);
    putProperty(range, word::Range::Text, text);
    followShownRange();
    // The corrected place no longer reads its words; a result with no such place left is done.
    data->eraseSettledResults();
    refreshListLook();
}

IDispatchPtr WordHelper::placeAt(const WordDocumentData& data, const std::shared_ptr<CheckData>& result,
                                 IDispatch* range)
{
    const LONG start = numberOf(range, word::Range::Start);
    const LONG end = numberOf(range, word::Range::End);
    for (const WordDocumentData::Place& place : data.places) {
        if (place.result == result && numberOf(place.range, word::Range::Start) >= start
            && numberOf(place.range, word::Range::End) <= end && WordDocumentData::holdsWords(place))
            return place.range;
    }
    return nullptr;
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
    // One go only, whatever happens: a failed undo must not stay offered.
    const QString old = appliedOld;
    const QString inserted = appliedNew;
    const std::shared_ptr<CheckData> record = appliedData;
    const bool sameError = shownRange && record && !old.isEmpty();
    if (contextShow)
        contextShow->enableUndo(false);
    try {
        QSharedPointer<WordDocumentData> data = currentData();
        if (!data || !sameError || numberOf(shownRange, word::Range::Start) != appliedStart)
            return false;
        QString text = textOf(shownRange);
        if (inserted.isEmpty()) {
            // The correction deleted the words: the range sits where they were.
            text = old;
        } else {
            if (!text.contains(inserted))
                return false;
            replaceAll(text, inserted, old);
        }
        appliedNew = old;
        putProperty(shownRange, word::Range::Text, text);
        followShownRange();
        // The words are back where they were, and with them the flagged place. A correction that
        // deleted the words left its range empty, so the range is laid over them again.
        if (appliedPlace && inserted.isEmpty())
            callMethod(appliedPlace, word::Range::SetRange, {int(shownStart), int(shownEnd)});
        // The correction took the result away with its mark; it comes back with the words.
        data->restoreResult(record);
        markErrors(data, shownRange);
        refreshListLook();
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
        // Ignored places stay ignored: page changes, saves and prints only draw the places still held.
        QList<IDispatchPtr> ignored;
        for (const QSharedPointer<WordMark>& mark : qAsConst(data->marks)) {
            if (callMethod(mark->range, word::Range::InRange, {shownRange}).toBool())
                ignored.append(mark->range);
        }
        const std::set<std::shared_ptr<CheckData>> touched = data->removeMarks(shownRange, all);
        if (touched.empty())
            unmarkRange(shownRange);
        if (all) {
            data->eraseResults(touched, true);
        } else {
            for (const IDispatchPtr& range : qAsConst(ignored))
                data->dropPlacesHeldBy(range);
            // A result stays while any of its places is still held: a mark must always open its error.
            std::set<std::shared_ptr<CheckData>> done;
            for (const std::shared_ptr<CheckData>& result : touched) {
                if (!data->hasLivePlace(result))
                    done.insert(result);
            }
            data->eraseResults(done, true);
        }
        refreshListLook();
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
        // Only a held place of the group's result, on whatever page: the same words may be right
        // elsewhere, and are never searched for.
        const int index = group->groupIndex();
        QSharedPointer<WordDocumentData> data = currentData();
        if (data && index >= 0 && size_t(index) < listResults.size() && listResults[size_t(index)])
            found = markedOccurrence(*data, listResults[size_t(index)], true) != nullptr;
    } catch (const _com_error&) {
    }
    if (!found)
        group->enableGroup(false);
    HWND pane = documentWindow();
    if (HWND root = GetAncestor(pane, GA_ROOTOWNER))
        SetForegroundWindow(root);
    SetFocus(pane);
}

void WordHelper::strikeOutGroup(int groupIndex)
{
    if (!errorList)
        return;
    if (auto* list = errorList->findChild<ErrorsList*>())
        list->enableGroupAt(groupIndex, false);
}

void WordHelper::refreshListLook()
{
    QSharedPointer<WordDocumentData> data = currentData();
    if (!errorList || !data)
        return;
    auto* list = errorList->findChild<ErrorsList*>();
    if (!list)
        return;
    // A group is struck while none of its result's places reads the flagged words, and live again
    // when one does (an undo, the pop-up's or the word processor's own). Results let be are left
    // as they are.
    for (size_t i = 0; i < listResults.size(); ++i) {
        const std::shared_ptr<CheckData>& result = listResults[i];
        if (result && data->hasPlaces(result))
            list->enableGroupAt(int(i), data->hasLivePlace(result));
    }
}
