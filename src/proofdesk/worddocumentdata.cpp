#include "worddocumentdata.h"

#include <algorithm>
#include <set>

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

bool WordDocumentData::removeMarks(IDispatch* range, bool all)
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
    if (dropped.isEmpty())
        return false;
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
    // A result stays while any of its occurrences is still marked: a mark must always open its error.
    for (const QSharedPointer<WordMark>& mark : qAsConst(marks))
        ids.erase(mark->id);

    std::set<int> erased;
    for (auto it = ids.rbegin(); it != ids.rend(); ++it) {
        if (*it < 0 || size_t(*it) >= results.size())
            continue;
        results.erase(results.begin() + *it);
        erased.insert(*it);
    }
    // Marks that stay follow their results to their new places.
    for (const QSharedPointer<WordMark>& mark : qAsConst(marks)) {
        if (mark->id >= 0)
            mark->id -= int(std::distance(erased.begin(), erased.lower_bound(mark->id)));
    }
    return true;
}

void WordDocumentData::restoreAllMarks()
{
    for (auto it = marks.rbegin(); it != marks.rend(); ++it)
        restoreQuietly(**it);
    marks.clear();
}

FlaggedOccurrences& WordDocumentData::occurrencesOf(const std::shared_ptr<CheckData>& result)
{
    return occurrences[result];
}
