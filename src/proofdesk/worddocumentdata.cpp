#include "worddocumentdata.h"

#include <algorithm>

#include "wordobjects.h"

namespace {
void restoreQuietly(WordMark& mark)
{
    try {
        mark.restore();
    } catch (const _com_error&) {
        // The occurrence may be gone with its text; the other marks are still put back.
    }
}
}

WordDocumentData::WordDocumentData(const CHECK_DATAS& results, const QVector<int>& typeFilter)
    : results(results), typeFilter(typeFilter)
{
}

std::set<std::shared_ptr<CheckData>> WordDocumentData::removeMarks(IDispatch* range, bool all)
{
    std::set<int> ids;
    QList<QSharedPointer<WordMark>> dropped;
    QList<QSharedPointer<WordMark>> kept;
    for (const QSharedPointer<WordMark>& mark : qAsConst(marks)) {
        if (callMethod(mark->range, word::Range::InRange, {range}).toBool()) {
            dropped.append(mark);
            ids.insert(mark->id);
        } else {
            kept.append(mark);
        }
    }
    std::set<std::shared_ptr<CheckData>> touched;
    if (dropped.isEmpty())
        return touched;
    if (all) {
        for (auto it = kept.begin(); it != kept.end();) {
            if (ids.count((*it)->id)) {
                dropped.append(*it);
                it = kept.erase(it);
            } else {
                ++it;
            }
        }
    }
    for (auto it = dropped.rbegin(); it != dropped.rend(); ++it)
        restoreQuietly(**it);
    marks = kept;
    for (int id : ids) {
        if (id >= 0 && size_t(id) < results.size() && results[size_t(id)])
            touched.insert(results[size_t(id)]);
    }
    return touched;
}

void WordDocumentData::restoreAllMarks()
{
    for (auto it = marks.rbegin(); it != marks.rend(); ++it)
        restoreQuietly(**it);
    marks.clear();
}

bool WordDocumentData::holdsWords(const Place& place)
{
    return place.result && !place.result->words.empty()
           && getProperty(place.range, word::Range::Text).toString() == QString::fromUtf8(place.result->words.c_str());
}

bool WordDocumentData::hasLivePlace(const std::shared_ptr<CheckData>& result) const
{
    return std::any_of(places.begin(), places.end(),
                       [&](const Place& place) { return place.result == result && holdsWords(place); });
}

bool WordDocumentData::hasPlaces(const std::shared_ptr<CheckData>& result) const
{
    return std::any_of(places.begin(), places.end(), [&](const Place& place) { return place.result == result; });
}

WordDocumentData::Place* WordDocumentData::placeHeldBy(IDispatch* range)
{
    for (Place& place : places) {
        if (range && place.range.GetInterfacePtr() == range)
            return &place;
    }
    return nullptr;
}

void WordDocumentData::dropPlacesHeldBy(IDispatch* range)
{
    dormant.erase(range);
    places.erase(std::remove_if(places.begin(), places.end(),
                                [&](const Place& place) { return place.range.GetInterfacePtr() == range; }),
                 places.end());
}

void WordDocumentData::eraseResults(const std::set<std::shared_ptr<CheckData>>& gone, bool withPlaces)
{
    if (gone.empty())
        return;
    if (withPlaces) {
        for (const Place& place : places) {
            if (gone.count(place.result))
                dormant.erase(place.range.GetInterfacePtr());
        }
        places.erase(std::remove_if(places.begin(), places.end(),
                                    [&](const Place& place) { return gone.count(place.result) > 0; }),
                     places.end());
    }
    // Marks that stay follow their results to their new places in the list.
    std::vector<std::shared_ptr<CheckData>> markResults;
    for (const QSharedPointer<WordMark>& mark : qAsConst(marks))
        markResults.push_back(mark->id >= 0 && size_t(mark->id) < results.size() ? results[size_t(mark->id)] : nullptr);
    results.erase(std::remove_if(results.begin(), results.end(),
                                 [&](const std::shared_ptr<CheckData>& result) { return gone.count(result) > 0; }),
                  results.end());
    for (int i = 0; i < marks.size(); ++i)
        marks[i]->id = markResults[size_t(i)] ? indexOf(markResults[size_t(i)]) : -1;
}

void WordDocumentData::eraseSettledResults()
{
    std::set<std::shared_ptr<CheckData>> settled;
    for (const std::shared_ptr<CheckData>& result : results) {
        if (result && hasPlaces(result) && !hasLivePlace(result))
            settled.insert(result);
    }
    eraseResults(settled, false);
}

void WordDocumentData::restoreResult(const std::shared_ptr<CheckData>& result)
{
    if (result && indexOf(result) < 0)
        results.push_back(result);
}

int WordDocumentData::indexOf(const std::shared_ptr<CheckData>& result) const
{
    const auto at = std::find(results.begin(), results.end(), result);
    return at == results.end() ? -1 : int(at - results.begin());
}
