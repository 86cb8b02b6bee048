#pragma once

#include <QList>
#include <QSharedPointer>
#include <QVector>

#include <memory>
#include <set>
#include <vector>

#include "checkdata.h"
#include "comvariant.h"
#include "wordmark.h"

// Per-pane state of the Word tracker: last results, the places they were found at, the type filter,
// and the marks on the caret's page.
class WordDocumentData
{
public:
    // One place the service flagged, held by a range the word processor keeps on those words while
    // the text around them changes. It counts while the range still reads the flagged words: edited
    // words leave it dead (an undo that puts them back brings it back), and it never moves on to
    // other occurrences of the same words.
    struct Place
    {
        IDispatchPtr range;
        std::shared_ptr<CheckData> result;
    };

    WordDocumentData(const CHECK_DATAS& results, const QVector<int>& typeFilter);

    // Drops the marks lying inside range (with all, every other mark of the same results too),
    // restoring their underline; answers the results they were placed for, none when no mark lies
    // there. Marks that stay keep pointing at their results. Raises _com_error.
    std::set<std::shared_ptr<CheckData>> removeMarks(IDispatch* range, bool all);
    // Restores every mark, last placed first so overlapping marks end on the oldest saved underline,
    // and forgets them; failures are ignored so that the remaining marks are still tried.
    void restoreAllMarks();

    // Whether the place's range still reads its result's words. Raises _com_error.
    static bool holdsWords(const Place& place);
    bool hasLivePlace(const std::shared_ptr<CheckData>& result) const;
    bool hasPlaces(const std::shared_ptr<CheckData>& result) const;
    // The place held by exactly this range object, or null.
    Place* placeHeldBy(IDispatch* range);
    // Places the user let be: they are never marked again.
    void dropPlacesHeldBy(IDispatch* range);
    // Takes the results off the list, with their places when they are gone for good (ignored), or
    // keeping them so that an undo of a correction can bring the result back.
    void eraseResults(const std::set<std::shared_ptr<CheckData>>& gone, bool withPlaces);
    // Erases the results none of whose places still reads their words. Raises _com_error.
    void eraseSettledResults();
    // Puts a result whose words came back at a held place onto the list again.
    void restoreResult(const std::shared_ptr<CheckData>& result);
    int indexOf(const std::shared_ptr<CheckData>& result) const;

    CHECK_DATAS results;
    QVector<int> typeFilter;
    QList<QSharedPointer<WordMark>> marks;
    std::vector<Place> places;
    bool placesHeld = false;
    // Places of the marked page (and corrected ones) that did not read their words when last looked
    // at: the only ones a caret move looks at again, so that it costs nothing for the rest.
    std::set<IDispatch*> dormant;
};
