#pragma once

#include <QMap>
#include <QObject>
#include <QSharedPointer>
#include <QString>
#include <QVector>

#include <map>
#include <memory>

#include "checkdata.h"
#include "comvariant.h"
#include "window.h"
#include "worddocumentdata.h"

class AppEventListener;
class ContextShow;
class ErrorsListGroup;
class QTimer;
class WidgetErrorList;

// One word-processor document pane taken by the Word tracker: its connection to the application's
// automation objects, the page text it reads for checking, the results it keeps, the marks it
// underlines on the page holding the selection, the error pop-up that follows the caret onto a mark,
// the corrections written back and its own error list. Every automation call is late bound on the GUI
// thread; a failing call ends the operation in progress with its empty answer, and no exception
// leaves an operation or slot.
class WordHelper : public QObject
{
    Q_OBJECT
public:
    WordHelper();
    ~WordHelper() override;

    bool attach(HWND hwnd);
    void setTitle(const QString& title);
    HWND documentWindow();

    QString getCurrentPageText(bool viaClipboard);
    QString getAllPageText(bool viaClipboard);
    QString getNextPageText(bool viaClipboard, int count);

    bool hasData();
    void showErrors(const CHECK_DATAS& results, const QVector<int>& typeFilter);
    CHECK_DATAS* getCheckDatas();
    void clearErrors(bool keepResults);
    void reportError();
    bool showErrorList();
    void enableErrorTip(bool on);

    // Application event of the sink, arguments last to first.
    HRESULT onWordEvent(DISPID dispId, DISPPARAMS* params);

public slots:
    bool onNext();
    bool onPrev();
    void timeoutSelectionChange();
    void winEventProc(IUnknown* pAcc, HWINEVENTHOOK hWinEventHook, DWORD event, HWND hwnd, LONG idObject,
                      LONG idChild, DWORD idEventThread, DWORD dwmsEventTime, bool focusChanged);

private slots:
    void onApply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    bool onUndo();
    void onHideDialog();
    void onAddToDict();
    void onReportError();
    void onIgnoreAll();
    void onIgnoreOnce();
    void onWidgetErrorListGroupClicked(ErrorsListGroup* group);
    void onWidgetErrorListApply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    void onWidgetErrorListClose();
    void onErrorTypeChanged(int type);

private:
    // Attaching and page text.
    IDispatchPtr findApplication(HWND hwnd);
    static bool ownsPane(IDispatch* app, HWND hwnd);
    void setup(HWND hwnd, IDispatchPtr app);
    IDispatchPtr activeDocument();
    bool isOwnDocument(IDispatch* doc);
    IDispatchPtr ownWindow();
    IDispatchPtr ownSelection();
    int getCurrentPageNumber();
    IDispatchPtr selectionRange();
    IDispatchPtr getPageRange(int page);
    QString getPageText(int page, bool viaClipboard);
    void rememberRead(IDispatchPtr range, const QString& text, bool viaClipboard);
    QString rangeText(IDispatch* range, bool viaClipboard);
    QSharedPointer<WordDocumentData> currentData();

    // Marks and the selection follow-up.
    void refreshMarks(QSharedPointer<WordDocumentData> data);
    // Holds a range on every place the service flagged, as the document reads when the results come.
    void holdPlaces(WordDocumentData& data);
    // Marks the held places inside range that still read their words; the others there are kept
    // as dormant, to be drawn once their words come back.
    void markErrors(QSharedPointer<WordDocumentData> data, IDispatch* range);
    void drawRevivedPlaces(WordDocumentData& data);
    void drawPlace(WordDocumentData& data, const WordDocumentData::Place& place, std::map<const CheckData*, int>& ids);
    // Remembers what the occurrence carried before its mark; font is the occurrence's (live) Font.
    void saveUnderline(const WordDocumentData& data, WordMark& mark, IDispatch* occurrence, IDispatch* font);
    void saveStretch(WordMark& mark, LONG start, LONG end);
    void clearStrayLook(const WordDocumentData& data, IDispatch* selection);
    bool placedMarkHolds(const WordDocumentData& data, LONG position);
    bool isMark(IDispatch* range);
    void unmarkRange(IDispatch* range);
    void removeAllMarks();
    void showErrorAt(IDispatchPtr range);
    void expandMarkedRange(const WordDocumentData& data, IDispatch* range);
    // The results (at their own indices) of the marks inside range; null entries for the others.
    CHECK_DATAS resultsMarkedIn(const WordDocumentData& data, IDispatch* range);
    IDispatchPtr placedMarkAt(const WordDocumentData& data, LONG position);
    bool findNextMark(bool forward);
    void hidePopup();

    // Corrections and the error list.
    void applySuggestion(IDispatchPtr range, const CHECK_DATAS& shownResults, int itemIndex, int groupIndex);
    void followShownRange();
    void ignore(bool all);
    IDispatchPtr shownOrSelectedRange();
    // Selects the result's next held place after the caret that still reads its words (wrapping);
    // null when none does. The one the selection covers counts, unless the user is moving on from it.
    IDispatchPtr markedOccurrence(const WordDocumentData& data, const std::shared_ptr<CheckData>& result,
                                  bool movingOn = false);
    void disarmUndo();
    void strikeOutGroup(int groupIndex);
    // The held place of result inside range that reads its words, or null.
    IDispatchPtr placeAt(const WordDocumentData& data, const std::shared_ptr<CheckData>& result, IDispatch* range);
    // Strikes out the list's groups whose places all lost their words, and revives the others.
    void refreshListLook();
    void showListIfOpen();

    IDispatchPtr application;
    HWND paneWindow = nullptr;
    IDispatchPtr document;
    WidgetErrorList* errorList = nullptr;
    bool listShown = false;
    ContextShow* contextShow = nullptr;
    QMap<HWND, QSharedPointer<WordDocumentData>> documents;
    int markUnderline = 27;
    int markColor = 496;
    QTimer* selectionTimer = nullptr;
    IDispatchPtr shownRange;
    int shownStart = -1;
    int shownEnd = -1;
    int lastPage = -1;
    AppEventListener* eventSink = nullptr;   // one reference of our own
    bool tipEnabled = true;
    QString title;
    QString appliedOld;
    QString appliedNew;
    int appliedIndex = -1;
    // The result a correction was last applied to, and the results each window was filled with: a
    // window's group index means an entry of its own list, whatever happened to the results since.
    std::shared_ptr<CheckData> appliedData;
    LONG appliedStart = -1;   // where that correction was made
    IDispatchPtr appliedPlace;  // the held place it corrected
    CHECK_DATAS popupResults;
    CHECK_DATAS listResults;
    bool comInitialised = false;
    // The text last read for a check and the stretch it came from.
    std::u16string checkedText;
    IDispatchPtr checkedRange;
    bool lookPlaced = false;   // marks were written since the document was last swept
};
