#include "syntaxhighlighter.h"

#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>

#include <algorithm>

#include "diff.h"
#include "flaggedoccurrences.h"

namespace {

constexpr int RefreshIntervalMs = 100;
constexpr int HandledMark = 1;
// Alternates between neighbouring marks of a paragraph: the layout joins equal formats that touch,
// and two errors meeting end to start would read as one. Two values keep the document's format
// table small.
constexpr int MarkSideProperty = QTextFormat::UserProperty + 0x4b4d;

QString errorTextOf(const CheckData& data)
{
    return QString::fromUtf8(data.words.data(), int(data.words.size()));
}

std::u16string unitsOf(const QString& text)
{
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()), size_t(text.size()));
}

} // namespace

SyntaxHighlighter::SyntaxHighlighter(QTextDocument* document, QTextEdit* editor)
    : QSyntaxHighlighter(static_cast<QObject*>(document))
    , editor(editor)
{
    // Connected ahead of the base class, which re-highlights the edited paragraphs as soon as it
    // hears of an edit: by then the anchors must know that their order may have changed.
    homeDocument = document;
    if (document) {
        editWatch = connect(document, &QTextDocument::contentsChange, this, [this] {
            anchorsInOrder = false;
            turnAnchorsForward();
        });
        setDocument(document);
    }
    plainFormat.setUnderlineStyle(QTextCharFormat::WaveUnderline);
    plainFormat.setUnderlineColor(Qt::red);
    currentFormat = plainFormat;
    currentFormat.setBackground(QBrush(QColor(255, 0, 0, 70), Qt::SolidPattern));
    for (int side = 0; side < 2; ++side) {
        plainSides[side] = plainFormat;
        plainSides[side].setProperty(MarkSideProperty, side);
        currentSides[side] = currentFormat;
        currentSides[side].setProperty(MarkSideProperty, side);
    }
    timer = new QTimer(this);
    timer->setInterval(RefreshIntervalMs);
    connect(timer, &QTimer::timeout, this, &SyntaxHighlighter::timerTickRefresh);
    timer->start();
}

SyntaxHighlighter::~SyntaxHighlighter()
{
    // The base class clears the marks as it goes, which counts as an edit.
    disconnect(editWatch);
}

void SyntaxHighlighter::setCheckData(std::vector<std::shared_ptr<CheckData>>& datas)
{
    setCheckData(datas, document() ? document()->toPlainText() : QString());
}

void SyntaxHighlighter::setCheckData(std::vector<std::shared_ptr<CheckData>>& datas, const QString& checkedText)
{
    checkDatas.clear();
    results.clear();
    entryOfResult.clear();
    typeFilter = -1;
    for (const auto& data : datas) {
        if (!data) {
            entryOfResult.push_back(-1);
            continue;
        }
        entryOfResult.push_back(int(checkDatas.size()));
        CheckDataEx entry;
        entry.setCheckData(data);
        checkDatas.push_back(entry);
    }
    results = datas;
    anchorFlagged(checkedText);
    rebuildIndex();
}

void SyntaxHighlighter::anchorFlagged(const QString& checkedText)
{
    anchors.clear();
    anchorsInOrder = true;
    // Kept on the editor's own document even while drawing is switched off there.
    anchoredDocument = homeDocument;
    entryTexts.assign(checkDatas.size(), QString());
    entryAnchored.assign(checkDatas.size(), 0);
    const std::u16string checked = unitsOf(checkedText);
    std::u16string current;
    if (anchoredDocument)
        current = unitsOf(anchoredDocument->toPlainText());
    // The checked text and the document differ when the user typed while the check ran.
    const std::list<Diff> edits = TextDiff().diff(checked, current);
    for (size_t i = 0; i < checkDatas.size(); ++i) {
        const CheckData& data = *checkDatas[i].checkData();
        entryTexts[i] = errorTextOf(data);
        const FlaggedOccurrences flagged(checked, data);
        if (flagged.everyOccurrence() || !anchoredDocument)
            continue;
        entryAnchored[i] = 1;
        for (size_t start : flagged.startsAfterEdits(checked, edits, unitsOf(entryTexts[i]))) {
            Anchor anchor;
            anchor.entry = int(i);
            anchor.range = QTextCursor(anchoredDocument);
            anchor.range.setPosition(int(start));
            anchor.range.setPosition(int(start) + entryTexts[i].size(), QTextCursor::KeepAnchor);
            // The end stays put when text is typed right behind the flagged words, and the start
            // moves on when text is typed right before them. Text put back where it was deleted
            // (an undo) lies between the two again.
            anchor.range.setKeepPositionOnInsert(true);
            anchors.push_back(anchor);
        }
    }
    // In result order so far.
    anchorsInOrder = false;
    sortAnchors();
}

void SyntaxHighlighter::sortAnchors()
{
    if (anchorsInOrder)
        return;
    // Edits keep the places in order but for places that came to start at the same point.
    const auto earlier = [](const Anchor& a, const Anchor& b) {
        return a.range.selectionStart() < b.range.selectionStart();
    };
    if (!std::is_sorted(anchors.begin(), anchors.end(), earlier))
        std::stable_sort(anchors.begin(), anchors.end(), earlier);
    anchorsInOrder = true;
}

void SyntaxHighlighter::turnAnchorsForward()
{
    // A place deleted whole and put back (an undo, or a correction undone) grows again from the
    // cursor's anchor, which then stands at its end and moves on with whatever is typed right behind
    // it. Turned round, its start and end keep to the rules the place was anchored with.
    for (Anchor& anchor : anchors) {
        QTextCursor& range = anchor.range;
        if (range.anchor() <= range.position())
            continue;
        const int end = range.anchor();
        range.setPosition(range.position());
        range.setPosition(end, QTextCursor::KeepAnchor);
    }
}

std::vector<SyntaxHighlighter::Anchor>::const_iterator SyntaxHighlighter::firstAnchorFrom(int position)
{
    sortAnchors();
    return std::lower_bound(anchors.cbegin(), anchors.cend(), position,
                            [](const Anchor& anchor, int at) { return anchor.range.selectionStart() < at; });
}

int SyntaxHighlighter::heldStart(const Anchor& anchor, const QString& blockText, int blockStart) const
{
    // The range may have shrunk: its end does not come back when the characters deleted at its end
    // are put back (an undo). It never counts once it has grown, or shrunk to nothing.
    const QString& words = entryTexts[size_t(anchor.entry)];
    const int start = anchor.range.selectionStart() - blockStart;
    const int length = anchor.range.selectionEnd() - anchor.range.selectionStart();
    if (length <= 0 || length > words.size() || start < 0 || start + words.size() > blockText.size())
        return -1;
    return QStringView(blockText).mid(start, words.size()) == QStringView(words) ? start : -1;
}

bool SyntaxHighlighter::holds(const Anchor& anchor) const
{
    const QTextBlock block = anchoredDocument->findBlock(anchor.range.selectionStart());
    return heldStart(anchor, block.text(), block.position()) >= 0;
}

QVector<int> SyntaxHighlighter::resultsAt(int start, int end)
{
    QVector<int> found;
    if (!document() || start >= end)
        return found;
    std::vector<char> here(checkDatas.size(), 0);
    if (document() == anchoredDocument) {
        for (const Anchor& anchor : anchors) {
            const int from = anchor.range.selectionStart();
            if (!entryActive[size_t(anchor.entry)] || from >= end
                || from + entryTexts[size_t(anchor.entry)].size() <= start || !holds(anchor))
                continue;
            here[size_t(anchor.entry)] = 1;
        }
    }
    // Results without places are drawn wherever their words stand, found as the drawing finds them.
    const QTextBlock block = document()->findBlock(start);
    const std::u16string blockText = unitsOf(block.text());
    for (size_t entry = 0; entry < checkDatas.size(); ++entry) {
        if (!entryActive[entry] || entryAnchored[entry] || here[entry])
            continue;
        const int size = entryTexts[entry].size();
        for (size_t at : FlaggedOccurrences::find(blockText, unitsOf(entryTexts[entry]))) {
            const int from = block.position() + int(at);
            if (from < end && from + size > start) {
                here[entry] = 1;
                break;
            }
        }
    }
    for (size_t index = 0; index < entryOfResult.size(); ++index) {
        const int entry = entryOfResult[index];
        if (entry >= 0 && here[size_t(entry)])
            found.append(int(index));
    }
    return found;
}

std::vector<bool> SyntaxHighlighter::markedResults()
{
    std::vector<char> stands(checkDatas.size(), 0);
    if (anchoredDocument) {
        for (const Anchor& anchor : anchors) {
            if (!stands[size_t(anchor.entry)] && holds(anchor))
                stands[size_t(anchor.entry)] = 1;
        }
    }
    const QString text = homeDocument ? homeDocument->toPlainText() : QString();
    for (size_t entry = 0; entry < checkDatas.size(); ++entry) {
        if (!entryAnchored[entry] && !entryTexts[entry].isEmpty())
            stands[entry] = text.contains(entryTexts[entry]);
    }
    std::vector<bool> marked(entryOfResult.size(), false);
    for (size_t index = 0; index < entryOfResult.size(); ++index) {
        const int entry = entryOfResult[index];
        marked[index] = entry >= 0 && stands[size_t(entry)];
    }
    return marked;
}

QVector<SyntaxHighlighter::Mark> SyntaxHighlighter::marksOf(int index)
{
    QVector<Mark> found;
    if (index < 0 || size_t(index) >= entryOfResult.size() || !document())
        return found;
    const int entry = entryOfResult[size_t(index)];
    if (entry < 0 || !entryActive[size_t(entry)])
        return found;
    const QString& words = entryTexts[size_t(entry)];
    if (entryAnchored[size_t(entry)]) {
        if (document() != anchoredDocument)
            return found;
        for (auto it = firstAnchorFrom(0); it != anchors.cend(); ++it) {
            if (it->entry != entry)
                continue;
            const QTextBlock block = document()->findBlock(it->range.selectionStart());
            const int start = heldStart(*it, block.text(), block.position());
            if (start >= 0)
                found.append({block.position() + start, words.size()});
        }
        return found;
    }
    const std::u16string needle = unitsOf(words);
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        for (size_t at : FlaggedOccurrences::find(unitsOf(block.text()), needle))
            found.append({block.position() + int(at), words.size()});
    }
    return found;
}

void SyntaxHighlighter::setErrorTypeFilter(int type)
{
    typeFilter = type;
    rebuildIndex();
    markDirty();
}

void SyntaxHighlighter::markDirty()
{
    dirty = true;
    timer->start();
}

void SyntaxHighlighter::clearLastText()
{
}

QTextCharFormat SyntaxHighlighter::errorFormat() const
{
    return plainFormat;
}

QTextCharFormat SyntaxHighlighter::currentErrorFormat() const
{
    return currentFormat;
}

bool SyntaxHighlighter::isErrorFormat(const QTextCharFormat& format) const
{
    return format.underlineColor() == plainFormat.underlineColor()
           && format.underlineStyle() == plainFormat.underlineStyle();
}

void SyntaxHighlighter::setErrorHandled(QString text)
{
    if (text.isEmpty() || checkDatas.empty())
        return;
    const QByteArray wanted = text.toUtf8();
    for (CheckDataEx& entry : checkDatas) {
        const auto data = entry.checkData();
        if (!data || data->words.empty())
            continue;
        if (QByteArray::fromRawData(data->words.data(), int(data->words.size())) == wanted)
            entry.setData(HandledMark);
    }
    rebuildIndex();
}

void SyntaxHighlighter::timerTickRefresh()
{
    if (!dirty)
        return;
    dirty = false;
    rehighlight();
}

void SyntaxHighlighter::rebuildIndex()
{
    firstUnitBits.fill(0, 65536 / 64);
    needlesByPair.clear();
    needlesByUnit.clear();
    needleCount = 0;
    nextFree.assign(checkDatas.size(), 0);
    nextFreeStamp.assign(checkDatas.size(), 0);
    blockStamp = 0;
    entryActive.assign(checkDatas.size(), 0);
    for (int i = 0; i < int(checkDatas.size()); ++i) {
        const CheckDataEx& entry = checkDatas[size_t(i)];
        const auto data = entry.checkData();
        if (!data || data->words.empty() || entry.data() > 0)
            continue;
        if (typeFilter != -1 && !data->hasErrorType(typeFilter))
            continue;
        if (entryTexts[size_t(i)].isEmpty())
            continue;
        entryActive[size_t(i)] = 1;
        if (entryAnchored[size_t(i)])
            continue;
        Needle needle;
        needle.entry = i;
        needle.text = entryTexts[size_t(i)];
        const ushort first = needle.text.at(0).unicode();
        firstUnitBits[first / 64] |= quint64(1) << (first % 64);
        if (needle.text.size() == 1)
            needlesByUnit[first].append(needle);
        else
            needlesByPair[(quint32(first) << 16) | needle.text.at(1).unicode()].append(needle);
        ++needleCount;
    }
}

bool SyntaxHighlighter::mayStartWith(QChar unit) const
{
    const ushort code = unit.unicode();
    return firstUnitBits[code / 64] & (quint64(1) << (code % 64));
}

void SyntaxHighlighter::highlightBlock(const QString& text)
{
    if ((needleCount == 0 && anchors.empty()) || document()->isEmpty())
        return;

    int cursorColumn = -1;
    if (editor) {
        const QTextCursor cursor = editor->textCursor();
        if (cursor.block() == currentBlock())
            cursorColumn = cursor.positionInBlock();
    }

    // Occurrences of each text, left to right without overlap: the same ones a repeated
    // indexOf from the end of the previous match would find.
    struct Occurrence
    {
        int entry;
        int start;
        int length;
        int side;
    };
    std::vector<Occurrence> occurrences;
    if (++blockStamp == 0) {
        std::fill(nextFreeStamp.begin(), nextFreeStamp.end(), 0);
        blockStamp = 1;
    }
    const int length = text.size();
    const QChar* units = text.constData();
    auto tryNeedles = [&](const QVector<Needle>& needles, int pos) {
        for (const Needle& needle : needles) {
            const int size = needle.text.size();
            if (size > length - pos)
                continue;
            const size_t entry = size_t(needle.entry);
            if (nextFreeStamp[entry] == blockStamp && pos < nextFree[entry])
                continue;
            if (QStringView(units + pos, size) != QStringView(needle.text))
                continue;
            occurrences.push_back({needle.entry, pos, size, 0});
            nextFreeStamp[entry] = blockStamp;
            nextFree[entry] = pos + size;
        }
    };
    for (int pos = 0; pos < length; ++pos) {
        if (!mayStartWith(units[pos]))
            continue;
        if (!needlesByUnit.isEmpty()) {
            const auto single = needlesByUnit.constFind(units[pos].unicode());
            if (single != needlesByUnit.constEnd())
                tryNeedles(single.value(), pos);
        }
        if (pos + 1 < length) {
            const quint32 key = (quint32(units[pos].unicode()) << 16) | units[pos + 1].unicode();
            const auto pair = needlesByPair.constFind(key);
            if (pair != needlesByPair.constEnd())
                tryNeedles(pair.value(), pos);
        }
    }
    if (document() == anchoredDocument) {
        const int blockStart = currentBlock().position();
        for (auto it = firstAnchorFrom(blockStart);
             it != anchors.cend() && it->range.selectionStart() < blockStart + length; ++it) {
            if (!entryActive[size_t(it->entry)])
                continue;
            const int start = heldStart(*it, text, blockStart);
            if (start >= 0)
                occurrences.push_back({it->entry, start, entryTexts[size_t(it->entry)].size(), 0});
        }
    }
    if (occurrences.empty())
        return;
    // Occurrences that overlap form one mark; the next mark along takes the other side.
    std::stable_sort(occurrences.begin(), occurrences.end(),
                     [](const Occurrence& a, const Occurrence& b) { return a.start < b.start; });
    int side = 0;
    int markEnd = -1;
    for (Occurrence& occurrence : occurrences) {
        if (occurrence.start >= markEnd)
            side = markEnd < 0 ? 0 : 1 - side;
        markEnd = std::max(markEnd, occurrence.start + occurrence.length);
        occurrence.side = side;
    }
    // Later results overwrite earlier ones where their texts overlap.
    std::stable_sort(occurrences.begin(), occurrences.end(),
                     [](const Occurrence& a, const Occurrence& b) { return a.entry < b.entry; });

    QVector<Range> plainRanges;
    QVector<Range> currentRanges;
    for (const Occurrence& occurrence : occurrences) {
        const int end = occurrence.start + occurrence.length;
        if (cursorColumn >= 0 && cursorColumn >= occurrence.start && cursorColumn <= end) {
            setFormat(occurrence.start, occurrence.length, currentSides[occurrence.side]);
            currentRanges.append({occurrence.start, end, occurrence.side});
        } else {
            setFormat(occurrence.start, occurrence.length, plainSides[occurrence.side]);
            plainRanges.append({occurrence.start, end, occurrence.side});
        }
    }
    if (plainRanges.isEmpty() || currentRanges.isEmpty())
        return;

    // Marks that touch the one at the cursor, or touch those, are filled too.
    bool changed = true;
    while (changed) {
        changed = false;
        for (Range& plain : plainRanges) {
            if (plain.start < 0)
                continue;
            for (int r = 0; r < currentRanges.size(); ++r) {
                const Range current = currentRanges.at(r);
                const bool startInside = plain.start >= current.start && plain.start <= current.end;
                const bool endInside = plain.end >= current.start && plain.end <= current.end;
                if (!startInside && !endInside)
                    continue;
                setFormat(plain.start, plain.end - plain.start, currentSides[plain.side]);
                currentRanges.append(plain);
                plain = {-1, -1, 0};
                changed = true;
                break;
            }
        }
    }
}
