#include "syntaxhighlighter.h"

#include <QTextEdit>
#include <QTimer>

#include <algorithm>

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

} // namespace

SyntaxHighlighter::SyntaxHighlighter(QTextDocument* document, QTextEdit* editor)
    : QSyntaxHighlighter(document)
    , editor(editor)
{
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

SyntaxHighlighter::~SyntaxHighlighter() = default;

void SyntaxHighlighter::setCheckData(std::vector<std::shared_ptr<CheckData>>& datas)
{
    checkDatas.clear();
    results.clear();
    typeFilter = -1;
    for (const auto& data : datas) {
        if (!data)
            continue;
        CheckDataEx entry;
        entry.setCheckData(data);
        checkDatas.push_back(entry);
    }
    results = datas;
    rebuildIndex();
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
    for (int i = 0; i < int(checkDatas.size()); ++i) {
        const CheckDataEx& entry = checkDatas[size_t(i)];
        const auto data = entry.checkData();
        if (!data || data->words.empty() || entry.data() > 0)
            continue;
        if (typeFilter != -1 && !data->hasErrorType(typeFilter))
            continue;
        Needle needle;
        needle.entry = i;
        needle.text = errorTextOf(*data);
        if (needle.text.isEmpty())
            continue;
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
    if (needleCount == 0 || document()->isEmpty())
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
    if (occurrences.empty())
        return;
    // Occurrences that overlap form one mark; the next mark along takes the other side. The scan
    // above found them from left to right.
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
