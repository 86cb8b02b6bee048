#include "texteditex.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QContextMenuEvent>
#include <QDebug>
#include <QDesktopServices>
#include <QGuiApplication>
#include <QInputMethod>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextList>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>

#include "checkerclient.h"
#include "config.h"
#include "contextshow.h"
#include "linenumberarea.h"
#include "settingkeys.h"
#include "syntaxhighlighter.h"

namespace {

constexpr int ExtraSelectionDelayMs = 500;
const QChar ZeroWidthSpace(0x200B);

// Sets a flag for the lifetime of the guard and puts back the value it had.
class FlagGuard
{
public:
    explicit FlagGuard(bool& flag) : flag(flag), saved(flag) { flag = true; }
    ~FlagGuard() { flag = saved; }
    FlagGuard(const FlagGuard&) = delete;
    FlagGuard& operator=(const FlagGuard&) = delete;

private:
    bool& flag;
    bool saved;
};

} // namespace

TextEditEx::TextEditEx(QWidget* parent)
    : QTextEdit(parent)
{
    syntaxHighlighter = new SyntaxHighlighter(document(), this);
    syntaxHighlighter->markDirty();
    installEventFilter(this);
    viewport()->installEventFilter(this);
    viewport()->setAttribute(Qt::WA_Hover);   // the pointer shows a hand while Ctrl is held

    extraSelectionTimer = new QTimer(this);
    extraSelectionTimer->setSingleShot(true);
    extraSelectionTimer->setInterval(ExtraSelectionDelayMs);
    connect(extraSelectionTimer, &QTimer::timeout, this, &TextEditEx::applyExtraSelections);

    baseFontSize = font().pointSizeF();
    computeTabStop();
    setTabStopWidth();
    reservedOperation27();

    connect(this, &QTextEdit::cursorPositionChanged, this, &TextEditEx::handleCursorPositionChanged);
    connect(this, &QTextEdit::selectionChanged, this, &TextEditEx::highlightSelectedWord);
    connect(this, &QTextEdit::currentCharFormatChanged, this, &TextEditEx::currentCharFormatChanged);
    connect(document(), &QTextDocument::blockCountChanged, this, &TextEditEx::updateLineNumberAreaWidth);
    connect(this, &QTextEdit::textChanged, this, &TextEditEx::updateLineNumberArea);
    connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TextEditEx::updateLineNumberArea);

    lineNumberArea = new LineNumberArea(this);
    updateLineNumberAreaWidth();

    contextShow = new ContextShow(nullptr);
    connect(contextShow, &ContextShow::apply, this, &TextEditEx::applyFromCard);
    connect(contextShow, &ContextShow::next, this, &TextEditEx::onNext);
    connect(contextShow, &ContextShow::undo, this, [this] {
        onUndoError();
        return true;
    });
    connect(contextShow, &ContextShow::prev, this, &TextEditEx::onPrev);
    connect(contextShow, &ContextShow::hideDialog, this, &TextEditEx::onHideDialog);
    connect(contextShow, &ContextShow::addToDict, this, &TextEditEx::onAddToDict);
    connect(contextShow, &ContextShow::reportError, this, &TextEditEx::onReportError);
    connect(contextShow, &ContextShow::ignoreAll, this, &TextEditEx::onIgnoreAll);
    connect(contextShow, &ContextShow::ignoreOnce, this, &TextEditEx::onIgnoreOnce);
}

TextEditEx::~TextEditEx()
{
    delete contextShow;
}

void TextEditEx::setFileDialogHandler(FileDialogHandler handler)
{
    fileDialogHandler = std::move(handler);
}

void TextEditEx::setMessageBoxHandler(MessageBoxHandler handler)
{
    messageBoxHandler = std::move(handler);
}

// ---------------------------------------------------------------------------------------------
// Check results and the error card

void TextEditEx::setCheckData(std::vector<std::shared_ptr<CheckData>>& results)
{
    setCheckData(results, toPlainText());
}

void TextEditEx::setCheckData(std::vector<std::shared_ptr<CheckData>>& results, const QString& checkedText)
{
    replacedText.clear();
    appliedText.clear();
    appliedGroupIndex = -1;
    contextShow->enableUndo(false);
    contextShow->hide();
    lastShownError.clear();
    cardPlace = QTextCursor();
    syntaxHighlighter->setCheckData(results, checkedText);
    syntaxHighlighter->markDirty();
}

void TextEditEx::setErrorTypeFilter(int type)
{
    syntaxHighlighter->setErrorTypeFilter(type);
}

ContextShow* TextEditEx::getContextShow() const
{
    return contextShow;
}

SyntaxHighlighter* TextEditEx::highlighter() const
{
    return syntaxHighlighter;
}

TextEditEx::ErrorRange TextEditEx::errorRangeAt(const QTextBlock& block, int positionInBlock) const
{
    if (!block.isValid() || !block.layout())
        return {};
    // Where one error ends and the next begins, the cursor belongs to the one it stands before:
    // that is where the arrows put it.
    ErrorRange endingHere;
    for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
        if (range.start > positionInBlock || positionInBlock > range.start + range.length
            || !syntaxHighlighter->isErrorFormat(range.format))
            continue;
        if (positionInBlock < range.start + range.length)
            return {range.start, range.length};
        if (!endingHere.isValid())
            endingHere = {range.start, range.length};
    }
    return endingHere;
}

TextEditEx::ErrorRange TextEditEx::errorRangeUnder(const QTextCursor& cursor) const
{
    const QTextBlock block = cursor.block();
    if (cursor.hasSelection() && block.layout() && block.contains(cursor.selectionStart())) {
        // Where two errors touch, the cursor at the end of a selected one also stands at the start of
        // the next; the selection tells which one the user went to.
        const int start = cursor.selectionStart() - block.position();
        const int length = cursor.selectionEnd() - cursor.selectionStart();
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            if (range.start == start && range.length == length && syntaxHighlighter->isErrorFormat(range.format))
                return {range.start, range.length};
        }
    }
    return errorRangeAt(block, cursor.positionInBlock());
}

QTextCursor TextEditEx::errorOfResult(int index)
{
    const QVector<SyntaxHighlighter::Mark> marks = syntaxHighlighter->marksOf(index);
    if (marks.isEmpty())
        return QTextCursor();
    const SyntaxHighlighter::Mark* chosen = nullptr;
    if (applyingFromCard && !cardPlace.isNull()) {
        for (const SyntaxHighlighter::Mark& mark : marks) {
            if (mark.start < cardPlace.selectionEnd() && mark.start + mark.length > cardPlace.selectionStart()) {
                chosen = &mark;
                break;
            }
        }
    }
    const QTextCursor cursor = textCursor();
    const int position = cursor.position();
    // Where one mark ends and the next begins, the cursor belongs to the one it stands before, as
    // it does for the card.
    const SyntaxHighlighter::Mark* endingHere = nullptr;
    for (const SyntaxHighlighter::Mark& mark : marks) {
        if (chosen)
            break;
        if (mark.start == cursor.selectionStart() && mark.start + mark.length == cursor.selectionEnd())
            chosen = &mark;
        else if (position >= mark.start && position < mark.start + mark.length)
            chosen = &mark;
        else if (!endingHere && position == mark.start + mark.length)
            endingHere = &mark;
    }
    if (!chosen)
        chosen = endingHere;
    if (!chosen) {
        chosen = &marks.first();
        for (const SyntaxHighlighter::Mark& mark : marks) {
            if (mark.start >= position) {
                chosen = &mark;
                break;
            }
        }
    }
    QTextCursor range(document());
    range.setPosition(chosen->start);
    range.setPosition(chosen->start + chosen->length, QTextCursor::KeepAnchor);
    return range;
}

bool TextEditEx::selectError(int index)
{
    const QVector<SyntaxHighlighter::Mark> marks = syntaxHighlighter->marksOf(index);
    if (marks.isEmpty())
        return false;
    const int from = textCursor().selectionEnd();
    SyntaxHighlighter::Mark next = marks.first();
    for (const SyntaxHighlighter::Mark& mark : marks) {
        if (mark.start >= from) {
            next = mark;
            break;
        }
    }
    QTextCursor range(document());
    range.setPosition(next.start);
    range.setPosition(next.start + next.length, QTextCursor::KeepAnchor);
    setTextCursor(range);
    setFocus();
    return true;
}

bool TextEditEx::errorStands(int index)
{
    const std::vector<bool> marked = syntaxHighlighter->markedResults();
    return index >= 0 && size_t(index) < marked.size() && marked[size_t(index)];
}

void TextEditEx::handleCursorPositionChanged()
{
    QTextCursor cursor = textCursor();
    if (cursor.isNull())
        return;
    const bool moved = !hasPreviousCursor || previousCursor.position() != cursor.position();
    if (moved && QGuiApplication::keyboardModifiers() != Qt::ShiftModifier)
        updateSpellError(cursor);
    if (!hasPreviousCursor || previousCursor.blockNumber() != cursor.blockNumber()) {
        highlightCurrentLine();
        highlightTrailingSpace();
    } else {
        const QString blockText = cursor.block().text();
        if (!blockText.isEmpty() && blockText.back().isSpace())
            highlightTrailingSpace();
        const int lineStartNow = cursor.positionInBlock() - cursor.columnNumber();
        const int lineStartBefore = previousCursor.positionInBlock() - previousCursor.columnNumber();
        if (lineStartNow != lineStartBefore)
            highlightCurrentLine();
    }
    updateLineNumberArea();
    previousCursor = cursor;
    hasPreviousCursor = true;
}

void TextEditEx::updateSpellError(QTextCursor& cursor)
{
    if (suppressErrorTip)
        return;
    FlagGuard guard(suppressErrorTip);
    Config* settings = GetConfig();
    if (!settings || !settings->getValueBool(SettingKeys::ShowErrorTip, true)) {
        contextShow->hide();
        return;
    }
    syntaxHighlighter->markDirty();
    const QTextBlock block = cursor.block();
    const ErrorRange range = errorRangeUnder(cursor);
    if (!range.isValid()) {
        lastShownError.clear();
        contextShow->hide();
        return;
    }
    const QString text = block.text().mid(range.start, range.length);
    const int start = block.position() + range.start;
    const int end = start + range.length;
    if (text == lastShownError && cardPlace.selectionStart() == start && cardPlace.selectionEnd() == end)
        return;
    lastShownError = text;
    cardPlace = QTextCursor(document());
    cardPlace.setPosition(start);
    cardPlace.setPosition(end, QTextCursor::KeepAnchor);
    QTextCursor probe(block);
    probe.setPosition(start);
    const QRect startRect = cursorRect(probe);
    probe.setPosition(end);
    const QRect endRect = cursorRect(probe);
    contextShow->hide();
    contextShow->enableUndo(undoBelongsTo(start, end));
    // Only the results marked here: others with the same words belong to their own places.
    CHECK_DATAS here(syntaxHighlighter->checkData().size());
    for (int index : syntaxHighlighter->resultsAt(start, end))
        here[size_t(index)] = syntaxHighlighter->checkData()[size_t(index)];
    if (!contextShow->showCheckData(here, text))
        return;
    const QPoint point = viewport()->mapToGlobal(QPoint(startRect.right(), startRect.bottom()));
    contextShow->show();
    QRect errorRect(point.x(), point.y() - startRect.height(), endRect.left() - startRect.left(),
                    startRect.bottom() - startRect.top());
    contextShow->move(point.x(), point.y(), errorRect);
}

QString TextEditEx::currentErrorText()
{
    const QTextCursor cursor = textCursor();
    const ErrorRange range = errorRangeUnder(cursor);
    if (!range.isValid())
        return QString();
    return cursor.block().text().mid(range.start, range.length);
}

bool TextEditEx::appliedRangeHolds() const
{
    return !appliedCursor.isNull() && appliedCursor.selectedText() == appliedText;
}

bool TextEditEx::undoBelongsTo(int start, int end) const
{
    // Overlapping, not merely touching: an error that meets the correction at its border is another
    // one, and its card must not take the correction back.
    return appliedRangeHolds() && appliedText != replacedText && start < appliedCursor.selectionEnd()
           && end > appliedCursor.selectionStart();
}

void TextEditEx::onApply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex)
{
    Q_UNUSED(itemTitle)
    Q_UNUSED(groupTitle)
    if (isReadOnly())
        return;
    QString errorText;
    QString replacement;
    if (!CheckerClient::getReplaceText(syntaxHighlighter->checkData(), groupIndex, itemIndex, errorText,
                                       replacement))
        return;
    // A second suggestion replaces the first only while the cursor stands in what the first wrote;
    // elsewhere the chosen error is a fresh one, even with the same text.
    const int position = textCursor().position();
    const bool repeated = groupIndex == appliedGroupIndex && appliedRangeHolds()
                          && position >= appliedCursor.selectionStart() && position <= appliedCursor.selectionEnd();
    // The error is the chosen result's, not whatever lies under the cursor: from the error list
    // the cursor may stand anywhere, or on a neighbour touching the chosen error.
    QTextCursor used = repeated ? appliedCursor : errorOfResult(groupIndex);
    if (used.isNull() || replacement == (repeated ? appliedText : errorText))
        return;

    FlagGuard guard(suppressErrorTip);
    const int start = used.selectionStart();
    if (replacement.isEmpty())
        used.removeSelectedText();
    else
        used.insertText(replacement);
    used.setPosition(start);
    used.setPosition(start + replacement.size(), QTextCursor::KeepAnchor);
    setTextCursor(used);
    if (!repeated) {
        replacedText = errorText;
        appliedGroupIndex = groupIndex;
    }
    appliedText = replacement;
    appliedCursor = textCursor();
    // Typing right behind the correction leaves it as it is, so it can still be undone.
    appliedCursor.setKeepPositionOnInsert(true);
    contextShow->enableUndo(true);
    emit errorCorrected(groupIndex);
}

void TextEditEx::applyFromCard(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex)
{
    FlagGuard guard(applyingFromCard);
    onApply(itemTitle, itemIndex, groupTitle, groupIndex);
}

void TextEditEx::onUndoError()
{
    if (isReadOnly() || !appliedRangeHolds() || appliedText == replacedText)
        return;
    FlagGuard guard(suppressErrorTip);
    QTextCursor used = appliedCursor;
    const int start = used.selectionStart();
    used.insertText(replacedText);
    used.setPosition(start);
    used.setPosition(start + replacedText.size(), QTextCursor::KeepAnchor);
    setTextCursor(used);
    appliedText = replacedText;
    appliedCursor = textCursor();
    appliedCursor.setKeepPositionOnInsert(true);
    contextShow->enableUndo(false);
    emit errorCorrected(appliedGroupIndex);
}

bool TextEditEx::onNext()
{
    QTextCursor cursor = textCursor();
    if (cursor.isNull())
        return false;
    const int position = cursor.position();
    for (QTextBlock block = cursor.block(); block.isValid(); block = block.next()) {
        if (!block.layout())
            continue;
        for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
            const int start = block.position() + range.start;
            if (start > position && syntaxHighlighter->isErrorFormat(range.format)) {
                cursor.setPosition(start);
                setTextCursor(cursor);
                return true;
            }
        }
    }
    return false;
}

bool TextEditEx::onPrev()
{
    QTextCursor cursor = textCursor();
    if (cursor.isNull())
        return false;
    // From the start of the error under the cursor, so that a neighbour ending right there is found.
    const ErrorRange own = errorRangeAt(cursor.block(), cursor.positionInBlock());
    const int limit = own.isValid() ? cursor.block().position() + own.start : cursor.position();
    for (QTextBlock block = cursor.block(); block.isValid(); block = block.previous()) {
        if (!block.layout())
            continue;
        const QVector<QTextLayout::FormatRange> ranges = block.layout()->formats();
        for (int i = ranges.size() - 1; i >= 0; --i) {
            const QTextLayout::FormatRange& range = ranges.at(i);
            const int start = block.position() + range.start;
            if (start + range.length <= limit && syntaxHighlighter->isErrorFormat(range.format)) {
                cursor.setPosition(start);
                setTextCursor(cursor);
                return true;
            }
        }
    }
    return false;
}

void TextEditEx::onIgnoreAll()
{
    syntaxHighlighter->setErrorHandled(currentErrorText());
    syntaxHighlighter->markDirty();
}

void TextEditEx::onIgnoreOnce()
{
    onIgnoreAll();
}

void TextEditEx::onReportError()
{
    reportError();
}

void TextEditEx::reportError()
{
    CheckerClient* client = getCheckerClient();
    if (!client)
        return;
    QString errorText = currentErrorText();
    QString sentence = textCursor().block().text().trimmed();
    client->reportError(errorText, sentence);
}

void TextEditEx::onAddToDict()
{
}

void TextEditEx::onHideDialog()
{
}

void TextEditEx::handleSaveExitAct()
{
    emit saveAndRead();
}

void TextEditEx::handleDiscardExitAct()
{
    emit discardAndRead();
}

void TextEditEx::handleEditAct()
{
    emit editNote();
}

void TextEditEx::focusOutEvent(QFocusEvent* event)
{
    if (!contextShow->isActiveWindow())
        contextShow->hide();
    QTextEdit::focusOutEvent(event);
}

void TextEditEx::hideEvent(QHideEvent* event)
{
    contextShow->hide();
    QTextEdit::hideEvent(event);
}

// ---------------------------------------------------------------------------------------------
// Reading aloud

QString TextEditEx::speechText(const QTextBlock& block)
{
    QString text = block.text();
    text.remove(ZeroWidthSpace);
    return text;
}

bool TextEditEx::isSpeechSkipped(const QTextBlock& block) const
{
    return speechText(block).trimmed().isEmpty();
}

bool TextEditEx::currentParagraphForSpeech(QString& text, int& position)
{
    const QTextCursor cursor = textCursor();
    if (cursor.isNull())
        return false;
    speechBlock = cursor.block();
    int offset = cursor.positionInBlock();
    for (; speechBlock.isValid(); speechBlock = speechBlock.next(), offset = 0) {
        if (isSpeechSkipped(speechBlock))
            continue;
        QString rest = speechBlock.text().mid(offset);
        rest.remove(ZeroWidthSpace);
        if (rest.trimmed().isEmpty())
            continue;
        text = rest;
        position = speechBlock.position() + offset;
        return true;
    }
    return false;
}

bool TextEditEx::nextParagraphForSpeech(QString& text, int& position)
{
    return stepSpeechParagraph(true, text, position);
}

bool TextEditEx::previousParagraphForSpeech(QString& text, int& position)
{
    const QTextBlock from = speechBlock;
    if (stepSpeechParagraph(false, text, position))
        return true;
    // Nothing earlier: stay where reading is rather than fall off the start, which would end it.
    speechBlock = from;
    return speechBlock.isValid() && !isSpeechSkipped(speechBlock) && takeSpeechBlock(text, position);
}

bool TextEditEx::stepSpeechParagraph(bool forward, QString& text, int& position)
{
    auto step = [forward](const QTextBlock& block) { return forward ? block.next() : block.previous(); };
    for (speechBlock = step(speechBlock); speechBlock.isValid(); speechBlock = step(speechBlock)) {
        if (!isSpeechSkipped(speechBlock))
            return takeSpeechBlock(text, position);
    }
    return false;
}

bool TextEditEx::takeSpeechBlock(QString& text, int& position) const
{
    text = speechText(speechBlock);
    position = speechBlock.position();
    return true;
}

void TextEditEx::selectRange(int start, int end)
{
    FlagGuard guard(suppressErrorTip);
    QTextCursor cursor = textCursor();
    cursor.setPosition(start);
    cursor.setPosition(end, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void TextEditEx::setSpeakingFlag(bool on)
{
    config.highlightSelectedWord = on;
}

// ---------------------------------------------------------------------------------------------
// Extra selections

void TextEditEx::updateExtraSelections(bool now)
{
    if (!now) {
        extraSelectionTimer->start();
        return;
    }
    extraSelectionTimer->stop();
    applyExtraSelections();
}

void TextEditEx::clearExtraKind(int kind)
{
    if (extraSelectionLists[kind].isEmpty())
        return;
    extraSelectionLists[kind].clear();
    updateExtraSelections(true);
}

void TextEditEx::applyExtraSelections()
{
    QList<QTextEdit::ExtraSelection> all;
    for (const auto& list : extraSelectionLists)
        all += list;
    setExtraSelections(all);
}

void TextEditEx::highlightSelectedWord()
{
    auto& list = extraSelectionLists[SelectedWord];
    if (!config.highlightSelectedWord) {
        clearExtraKind(SelectedWord);
        return;
    }
    const QString word = textCursor().selectedText().trimmed();
    list.clear();
    bool isOccurrence = false;
    for (const auto& selection : extraSelectionLists[Occurrence]) {
        if (selection.cursor.selectedText().trimmed() == word)
            isOccurrence = true;
    }
    if (!word.isEmpty() && !isOccurrence) {
        QTextCursor hit = document()->find(word, 0, QTextDocument::FindCaseSensitively);
        while (!hit.isNull()) {
            QTextEdit::ExtraSelection selection;
            selection.format.setBackground(config.selectedWordColor);
            selection.cursor = hit;
            list.append(selection);
            hit = document()->find(word, hit, QTextDocument::FindCaseSensitively);
        }
    }
    updateExtraSelections(true);
}

void TextEditEx::highlightCurrentLine()
{
    auto& list = extraSelectionLists[CurrentLine];
    if (!config.highlightCurrentLine || isReadOnly()) {
        clearExtraKind(CurrentLine);
        return;
    }
    list.clear();
    QTextEdit::ExtraSelection selection;
    selection.format.setBackground(config.currentLineColor);
    selection.format.setProperty(QTextFormat::FullWidthSelection, true);
    const QTextCursor cursor = textCursor();
    const QTextBlock block = cursor.block();
    QTextLayout* layout = block.layout();
    if (config.highlightWholeBlock && layout && layout->lineCount() > 0) {
        for (int i = 0; i < layout->lineCount(); ++i) {
            const QTextLine line = layout->lineAt(i);
            QTextCursor lineCursor(block);
            lineCursor.setPosition(block.position() + line.textStart());
            selection.cursor = lineCursor;
            list.append(selection);
        }
    } else {
        selection.cursor = cursor;
        selection.cursor.clearSelection();
        list.append(selection);
    }
    updateExtraSelections(true);
}

void TextEditEx::highlightTrailingSpace()
{
    auto& list = extraSelectionLists[TrailingSpace];
    if (!config.highlightTrailingSpace) {
        clearExtraKind(TrailingSpace);
        return;
    }
    list.clear();
    const QTextCursor cursor = textCursor();
    const bool cursorAtEnd = cursor.atBlockEnd();
    const QRegularExpression trailing(QStringLiteral("\\s+$"));
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        const QRegularExpressionMatch match = trailing.match(block.text());
        if (!match.hasMatch())
            continue;
        const int start = block.position() + match.capturedStart();
        const int end = block.position() + match.capturedEnd();
        if (cursorAtEnd && end == cursor.position())
            continue;
        QTextEdit::ExtraSelection selection;
        selection.format.setBackground(config.trailingSpaceColor);
        selection.cursor = QTextCursor(document());
        selection.cursor.setPosition(start);
        selection.cursor.setPosition(end, QTextCursor::KeepAnchor);
        list.append(selection);
    }
    updateExtraSelections(true);
}

// ---------------------------------------------------------------------------------------------
// View

void TextEditEx::wheelEvent(QWheelEvent* event)
{
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QTextEdit::wheelEvent(event);
        return;
    }
    const int delta = event->angleDelta().y();
    if (delta < 0)
        zoomOut(1);
    else if (delta > 0)
        zoomIn(1);
    syntaxHighlighter->markDirty();
    emit zoomed(zoomLevel());
    event->accept();
}

int TextEditEx::zoomLevel() const
{
    if (baseFontSize <= 0)
        return 100;
    return int(font().pointSizeF() * 100 / baseFontSize);
}

void TextEditEx::setZoom(int percent)
{
    if (percent == zoomLevel())
        return;
    const qreal size = percent * baseFontSize / 100;
    if (size <= 0)
        return;
    QFont f = font();
    f.setPointSizeF(size);
    setFont(f);
    syntaxHighlighter->markDirty();
}

void TextEditEx::computeTabStop()
{
    config.tabStopDistance = fontMetrics().horizontalAdvance(QLatin1Char(' ')) * config.tabWidth;
    if (config.expandTab && config.tabWidth > 0)
        config.tabString = QString(config.tabWidth, QLatin1Char(' '));
    else
        config.tabString = QStringLiteral("\t");
}

void TextEditEx::setTabStopWidth()
{
    if (config.tabStopDistance > 0)
        setTabStopDistance(config.tabStopDistance);
    QTextOption option = document()->defaultTextOption();
    QTextOption::Flags flags = option.flags();
    if (config.showWhiteSpace)
        flags |= QTextOption::ShowTabsAndSpaces | QTextOption::ShowLineAndParagraphSeparators;
    else
        flags &= ~(QTextOption::ShowTabsAndSpaces | QTextOption::ShowLineAndParagraphSeparators);
    option.setFlags(flags);
    document()->setDefaultTextOption(option);
    emit configUpdated();
}

void TextEditEx::setReadOnlyMode(bool readOnly)
{
    setReadOnly(readOnly);
    highlightCurrentLine();
}

void TextEditEx::enterEditMode()
{
    setTabStopWidth();
    setReadOnlyMode(false);
    document()->setModified(false);
    reservedOperation27();
}

void TextEditEx::enterReadMode()
{
    setReadOnlyMode(true);
}

void TextEditEx::setInputMethodEnabled(bool on)
{
    if (inputMethodEnabled == on)
        return;
    inputMethodEnabled = on;
    QGuiApplication::inputMethod()->reset();
    QGuiApplication::inputMethod()->update(Qt::ImEnabled);
}

QVariant TextEditEx::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled)
        return inputMethodEnabled;
    return QTextEdit::inputMethodQuery(query);
}

void TextEditEx::setShowLineNumbers(bool show)
{
    config.showLineNumbers = show;
    updateLineNumberArea();
}

bool TextEditEx::showLineNumbers() const
{
    return config.showLineNumbers;
}

void TextEditEx::setExtraSwitch(bool on)
{
    config.extraSwitch = on;
}

bool TextEditEx::extraSwitch() const
{
    return config.extraSwitch;
}

void TextEditEx::setHighlightCurrentLineEnabled(bool on)
{
    config.highlightCurrentLine = on;
    highlightCurrentLine();
}

bool TextEditEx::highlightCurrentLineEnabled() const
{
    return config.highlightCurrentLine;
}

void TextEditEx::setWordWrap(bool on)
{
    setWordWrapMode(on ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
}

bool TextEditEx::wordWrap() const
{
    return wordWrapMode() != QTextOption::NoWrap;
}

void TextEditEx::setHighlightEnabled(bool on)
{
    if (config.highlighterEnabled == on)
        return;
    config.highlighterEnabled = on;
    syntaxHighlighter->setDocument(on ? document() : nullptr);
}

void TextEditEx::gotoLine(int line)
{
    const QTextBlock block = document()->findBlockByLineNumber(line);
    if (!block.isValid())
        return;
    QTextCursor cursor(block);
    cursor.movePosition(QTextCursor::EndOfBlock);
    setTextCursor(cursor);
    ensureCursorVisible();
}

void TextEditEx::openUrl(QString url)
{
    qDebug() << "open url" << url;
    QDesktopServices::openUrl(QUrl(url));
}

bool TextEditEx::jumpTitle(bool p_forward, int p_relativeLevel, int p_repeat)
{
    Q_UNUSED(p_forward)
    Q_UNUSED(p_relativeLevel)
    Q_UNUSED(p_repeat)
    return false;
}

QString TextEditEx::linkAt(QString lineText, int position)
{
    Q_UNUSED(lineText)
    Q_UNUSED(position)
    return QString();
}

void TextEditEx::currentCharFormatChanged(const QTextCharFormat& format)
{
    Q_UNUSED(format)
}

void TextEditEx::paintEvent(QPaintEvent* event)
{
    QTextEdit::paintEvent(event);
}

void TextEditEx::resizeEvent(QResizeEvent* event)
{
    QTextEdit::resizeEvent(event);
    updateLineNumberArea();
}

void TextEditEx::contextMenuEvent(QContextMenuEvent* event)
{
    QMenu* menu = createStandardContextMenu();
    menu->setToolTipsVisible(true);
    menu->exec(event->globalPos());
    delete menu;
}

// ---------------------------------------------------------------------------------------------
// Formatting

void TextEditEx::mergeFormatOnSelection(const QTextCharFormat& format)
{
    QTextCursor cursor = textCursor();
    if (!cursor.hasSelection())
        cursor.select(QTextCursor::WordUnderCursor);
    cursor.mergeCharFormat(format);
    mergeCurrentCharFormat(format);
}

void TextEditEx::setAlignmentOf(Qt::Alignment alignment)
{
    setAlignment(alignment);
}

void TextEditEx::alignCenter()
{
    setAlignmentOf(Qt::AlignHCenter);
}

void TextEditEx::alignJustify()
{
    setAlignmentOf(Qt::AlignJustify);
}

void TextEditEx::alignLeft()
{
    setAlignmentOf(Qt::AlignLeft | Qt::AlignAbsolute);
}

void TextEditEx::alignRight()
{
    setAlignmentOf(Qt::AlignRight | Qt::AlignAbsolute);
}

void TextEditEx::setBold(bool bold)
{
    QTextCharFormat format;
    format.setFontWeight(bold ? QFont::Bold : QFont::Normal);
    mergeFormatOnSelection(format);
}

void TextEditEx::setItalic(bool italic)
{
    QTextCharFormat format;
    format.setFontItalic(italic);
    mergeFormatOnSelection(format);
}

void TextEditEx::setUnderline(bool underline)
{
    QTextCharFormat format;
    format.setFontUnderline(underline);
    mergeFormatOnSelection(format);
}

void TextEditEx::mergeFont(const QFont& font)
{
    QTextCharFormat format;
    format.setFont(font);
    mergeFormatOnSelection(format);
}

void TextEditEx::setEditorFont(const QFont& font)
{
    QWidget::setFont(font);
}

void TextEditEx::setFontFamily(const QString& family)
{
    QTextCharFormat format;
    format.setFontFamily(family);
    mergeFormatOnSelection(format);
}

void TextEditEx::setFontPointSize(const QString& size)
{
    const qreal points = size.toFloat();
    if (points <= 0)
        return;
    QTextCharFormat format;
    format.setFontPointSize(points);
    mergeFormatOnSelection(format);
}

void TextEditEx::setTextColor(const QColor& color)
{
    QTextCharFormat format;
    format.setForeground(color);
    mergeFormatOnSelection(format);
}

void TextEditEx::changeIndent(int delta)
{
    QTextCursor cursor = textCursor();
    QTextBlockFormat format;
    format.setIndent(std::max(0, cursor.blockFormat().indent() + delta));
    cursor.mergeBlockFormat(format);
}

void TextEditEx::decreaseIndent()
{
    changeIndent(-1);
}

void TextEditEx::increaseIndent()
{
    changeIndent(1);
}

void TextEditEx::setListStyle(int style)
{
    QTextCursor cursor = textCursor();
    if (style == 0) {
        QTextList* list = cursor.currentList();
        if (list)
            list->remove(cursor.block());
        QTextBlockFormat format = cursor.blockFormat();
        format.setIndent(0);
        format.setObjectIndex(0);
        cursor.setBlockFormat(format);
        return;
    }
    listStyle = style;
    cursor.beginEditBlock();
    QTextListFormat listFormat;
    if (QTextList* list = cursor.currentList()) {
        listFormat = list->format();
    } else {
        QTextBlockFormat blockFormat = cursor.blockFormat();
        listFormat.setIndent(blockFormat.indent() + 1);
        blockFormat.setIndent(0);
        cursor.setBlockFormat(blockFormat);
    }
    listFormat.setStyle(QTextListFormat::Style(style));
    cursor.createList(listFormat);
    cursor.endEditBlock();
}

void TextEditEx::toggleList()
{
    setListStyle(textCursor().currentList() ? 0 : listStyle);
}

// ---------------------------------------------------------------------------------------------
// Line-number gutter

int TextEditEx::lineNumberAreaWidth() const
{
    return config.showLineNumbers ? lineNumberArea->calculateWidth() : 0;
}

void TextEditEx::updateLineNumberAreaWidth()
{
    const int width = lineNumberAreaWidth();
    setViewportMargins(width, 0, 0, 0);
    const QRect contents = contentsRect();
    lineNumberArea->setGeometry(QRect(contents.left(), contents.top(), width, contents.height()));
}

void TextEditEx::updateLineNumberArea()
{
    if (config.showLineNumbers) {
        if (lineNumberArea->isHidden())
            lineNumberArea->show();
        updateLineNumberAreaWidth();
        lineNumberArea->update();
        return;
    }
    updateLineNumberAreaWidth();
}

int TextEditEx::verticalOffset() const
{
    return -verticalScrollBar()->value();
}

QTextBlock TextEditEx::firstVisibleBlock() const
{
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    const int offset = verticalOffset();
    int low = 0;
    int high = document()->blockCount() - 1;
    int candidate = -1;
    while (low <= high) {
        const int mid = low + (high - low) / 2;
        const QTextBlock block = document()->findBlockByNumber(mid);
        if (!block.isValid())
            break;
        const int y = int(layout->blockBoundingRect(block).y()) + offset;
        if (y == 0)
            return block;
        if (y < 0) {
            low = mid + 1;
        } else {
            if (candidate < 0 || mid < candidate)
                candidate = mid;
            high = mid - 1;
        }
    }
    if (candidate >= 0)
        return document()->findBlockByNumber(candidate);
    qDebug() << "fall back to linear search for first visible block";
    for (QTextBlock block = document()->begin(); block.isValid(); block = block.next()) {
        if (int(layout->blockBoundingRect(block).y()) + offset >= 0)
            return block;
    }
    return document()->begin();
}

void TextEditEx::lineNumberAreaPaintEvent(QPaintEvent* event)
{
    if (!config.showLineNumbers) {
        lineNumberArea->hide();
        return;
    }
    const int width = lineNumberArea->calculateWidth();
    QPainter painter(lineNumberArea);
    painter.fillRect(event->rect(), config.lineNumberBackground);
    painter.setFont(font());
    QAbstractTextDocumentLayout* layout = document()->documentLayout();
    const QTextCursor cursor = textCursor();
    const int selectionStart = cursor.selectionStart();
    const int selectionEnd = cursor.selectionEnd();
    const int lineHeight = fontMetrics().height();

    QTextBlock block = firstVisibleBlock();
    int top = int(layout->blockBoundingRect(block).y()) + verticalOffset();
    int bottom = top + int(layout->blockBoundingRect(block).height());
    while (block.isValid() && top <= event->rect().bottom()) {
        if (block.isVisible() && bottom >= event->rect().top()) {
            const int blockStart = block.position();
            const int blockEnd = blockStart + block.length();
            const bool current = cursor.hasSelection()
                                     ? (blockStart < selectionEnd && blockEnd > selectionStart)
                                     : (cursor.block() == block);
            QFont numberFont = font();
            numberFont.setBold(current);
            painter.setFont(numberFont);
            painter.setPen(current ? config.currentLineNumberColor : config.lineNumberColor);
            painter.drawText(QRect(0, top, width, lineHeight), Qt::AlignRight,
                             QString::number(block.blockNumber() + 1));
        }
        block = block.next();
        top = bottom;
        if (block.isValid()) {
            const QTextBlockFormat format = block.blockFormat();
            bottom = top + int(layout->blockBoundingRect(block).height() + format.bottomMargin()
                               + format.topMargin());
        }
    }
}
