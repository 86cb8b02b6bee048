#include "lineends.h"

#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>

#include <algorithm>
#include <vector>

namespace {

// The paragraph's own end, in its block format: a paragraph split by Enter hands it to both halves.
constexpr int OwnEndProperty = QTextFormat::UserProperty + 0x4c45;
constexpr QChar FrameStart(0xfdd0);
constexpr QChar FrameEnd(0xfdd1);

bool isParagraphEnd(QChar c)
{
    return c == QChar::ParagraphSeparator || c == FrameStart || c == FrameEnd;
}

// Every sequence the document turns into a paragraph break, in order: CR LF counts as one.
std::vector<QStringView> endsOf(const QString& text)
{
    std::vector<QStringView> ends;
    for (int i = 0; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\r') && i + 1 < text.size() && text.at(i + 1) == QLatin1Char('\n')) {
            ends.push_back(QStringView(text).mid(i, 2));
            ++i;
        } else if (c == QLatin1Char('\r') || c == QLatin1Char('\n') || isParagraphEnd(c)) {
            ends.push_back(QStringView(text).mid(i, 1));
        }
    }
    return ends;
}

} // namespace

void LineEnds::read(const QString& text, QTextDocument* paragraphs)
{
    const std::vector<QStringView> ends = endsOf(text);
    int best = 0;
    usual = QStringLiteral("\n");
    for (const QString& candidate : {QStringLiteral("\n"), QStringLiteral("\r\n"), QStringLiteral("\r")}) {
        const int count = int(std::count(ends.begin(), ends.end(), QStringView(candidate)));
        if (count > best) {
            best = count;
            usual = candidate;
        }
    }
    keepsLineSeparators = text.contains(QChar::LineSeparator);
    stopFollowing();
    if (!paragraphs || int(ends.size()) != paragraphs->blockCount() - 1)
        return;

    // Set outside the undo history: the ends belong to the file as read, not to an edit.
    const bool undo = paragraphs->isUndoRedoEnabled();
    paragraphs->setUndoRedoEnabled(false);
    QTextBlock block = paragraphs->begin();
    for (const QStringView end : ends) {
        if (end != QStringView(usual)) {
            QTextBlockFormat format;
            format.setProperty(OwnEndProperty, end.toString());
            QTextCursor(block).mergeBlockFormat(format);
        }
        block = block.next();
    }
    paragraphs->setUndoRedoEnabled(undo);

    followed = paragraphs;
    takeAll();
    edits = QObject::connect(paragraphs, &QTextDocument::contentsChange, paragraphs,
                             [this](int position, int, int added) { follow(position, added); });
}

LineEnds::~LineEnds()
{
    stopFollowing();
}

void LineEnds::stopFollowing()
{
    QObject::disconnect(edits);
    followed = nullptr;
    ownEnds.clear();
}

void LineEnds::takeAll()
{
    ownEnds.clear();
    for (QTextBlock block = followed->begin(); block.isValid(); block = block.next())
        ownEnds.push_back(block.blockFormat().property(OwnEndProperty).toString());
}

// The edit replaced the text from position on by added characters. The paragraph breaks it took
// away follow from how many paragraphs there were before; the paragraph that now holds the end of
// the new text is the one the old text's last affected paragraph ended. The correction joins the
// edit's undo step, so Undo brings back both paragraphs with their own ends.
void LineEnds::follow(int position, int added)
{
    QTextBlock first = followed->findBlock(position);
    QTextBlock last = followed->findBlock(position + added);
    if (!first.isValid())
        first = followed->lastBlock();
    if (!last.isValid())
        last = followed->lastBlock();
    const int from = first.blockNumber();
    const int addedBreaks = last.blockNumber() - from;
    const int removedBreaks = int(ownEnds.size()) - followed->blockCount() + addedBreaks;
    if (removedBreaks < 0 || from + removedBreaks >= int(ownEnds.size())) {
        takeAll();
        return;
    }
    const QString joinedEnd = ownEnds[std::size_t(from + removedBreaks)];
    const bool wholeDocument = from == 0 && removedBreaks == int(ownEnds.size()) - 1;
    // Typing within a paragraph, the common case, moves no other paragraph's entry.
    if (removedBreaks != addedBreaks) {
        ownEnds.erase(ownEnds.begin() + from, ownEnds.begin() + from + removedBreaks);
        ownEnds.insert(ownEnds.begin() + from, std::size_t(addedBreaks), QString());
    }
    for (QTextBlock block = first;; block = block.next()) {
        ownEnds[std::size_t(block.blockNumber())] = block.blockFormat().property(OwnEndProperty).toString();
        if (block == last)
            break;
    }
    if (removedBreaks == 0 || wholeDocument || ownEnds[std::size_t(from + addedBreaks)] == joinedEnd)
        return;

    QTextBlockFormat format = last.blockFormat();
    if (joinedEnd.isEmpty())
        format.clearProperty(OwnEndProperty);
    else
        format.setProperty(OwnEndProperty, joinedEnd);
    QTextCursor cursor(last);
    cursor.joinPreviousEditBlock();
    cursor.setBlockFormat(format);
    cursor.endEditBlock();
    ownEnds[std::size_t(from + addedBreaks)] = joinedEnd;
}

QString LineEnds::write(const QTextDocument& document) const
{
    const QString raw = document.toRawText();
    QString text;
    text.reserve(raw.size() + raw.size() / 16);
    for (int i = 0; i < raw.size(); ++i) {
        const QChar c = raw.at(i);
        if (isParagraphEnd(c)) {
            const QVariant own = document.findBlock(i).blockFormat().property(OwnEndProperty);
            text += own.isValid() ? own.toString() : usual;
        } else if (c == QChar::LineSeparator && !keepsLineSeparators) {
            text += usual;
        } else {
            text += c;
        }
    }
    return text;
}

void LineEnds::clear()
{
    stopFollowing();
    usual = QStringLiteral("\n");
    keepsLineSeparators = false;
}
