#include "widgetsearch.h"

#include "ui_widgetsearch.h"

#include <QKeyEvent>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextEdit>

#include <vector>

#include "iconfont.h"

namespace {

constexpr int IconShowReplace = 0xf078;
constexpr int IconHideReplace = 0xf077;
const QString FoundColour = QStringLiteral("#D5FAE2");
const QString NotFoundColour = QStringLiteral("#FAE9EB");

// The next position in the given direction that does not fall between the two halves of a
// character beyond the basic plane.
int stepOver(const QTextDocument* document, int position, bool forward)
{
    position += forward ? 1 : -1;
    const QChar at = document->characterAt(position);
    if (at.isLowSurrogate() && document->characterAt(position - 1).isHighSurrogate())
        position += forward ? 1 : -1;
    return position;
}

bool splitsCharacter(const QTextDocument* document, int position)
{
    return document->characterAt(position).isLowSurrogate() && document->characterAt(position - 1).isHighSurrogate();
}

} // namespace

WidgetSearch::WidgetSearch(QWidget* parent)
    : QWidget(parent)
    , ui(new Ui::WidgetSearch)
{
    ui->setupUi(this);
    connect(ui->searchLineEdit, &QLineEdit::textChanged, this, &WidgetSearch::searchLineEditTextChanged);
    installEventFilter(this);
    ui->searchLineEdit->installEventFilter(this);
    ui->replaceLineEdit->installEventFilter(this);

    IconFont* iconFont = getIconFont();
    const auto options = IconColorOptions(QColor(77, 130, 184), QColor(176, 176, 176));
    ui->btnMatchCase->setIcon(iconFont->icon(0xf031, options));
    ui->btnClose->setIcon(iconFont->icon(0xf00d, options));
    ui->btnWholeWord->setIcon(iconFont->icon(0xf266, options));
    ui->btnRegEx->setIcon(iconFont->icon(0x2a, options));
    ui->btnReplaceNext->setIcon(iconFont->icon(0xf021, options));
    ui->btnReplaceAll->setIcon(iconFont->icon(0xf0ec, options));
    ui->btnSearchForward->setIcon(iconFont->icon(0xf063, options));
    ui->btnSearchBack->setIcon(iconFont->icon(0xf062, options));
    showReplace(false);
    adjustSize();
}

WidgetSearch::~WidgetSearch()
{
    delete ui;
}

void WidgetSearch::setTextEdit(QTextEdit* edit)
{
    textEdit = edit;
}

QTextDocument::FindFlags WidgetSearch::findFlags(bool forward) const
{
    QTextDocument::FindFlags flags;
    if (!forward)
        flags |= QTextDocument::FindBackward;
    if (ui->btnWholeWord->isChecked())
        flags |= QTextDocument::FindWholeWords;
    if (ui->btnMatchCase->isChecked())
        flags |= QTextDocument::FindCaseSensitively;
    return flags;
}

// Works on whole characters, so a dot or a class takes both halves of one beyond the basic plane;
// \w and \d know letters and digits of every script, not only ASCII.
QRegularExpression WidgetSearch::searchExpression() const
{
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (!ui->btnMatchCase->isChecked())
        options |= QRegularExpression::CaseInsensitiveOption;
    return QRegularExpression(ui->searchLineEdit->text(), options);
}

// An empty match is never an answer: the search goes on from the next character, so a pattern
// that matches only empty text is not found and Replace All always moves on. A match that would
// cut a character in two (a needle that starts or ends with half of one) is passed over too.
QTextCursor WidgetSearch::findFrom(const QTextCursor& start, bool forward) const
{
    QTextDocument* document = textEdit->document();
    const QTextDocument::FindFlags flags = findFlags(forward);
    const bool regEx = ui->btnRegEx->isChecked();
    const QRegularExpression pattern = searchExpression();
    const QString needle = ui->searchLineEdit->text();
    // An expression still being typed ("(", "[a") finds nothing.
    if (regEx && !pattern.isValid())
        return QTextCursor();
    int position = start.position();
    if (start.hasSelection())
        position = forward ? start.selectionEnd() : start.selectionStart();
    if (splitsCharacter(document, position))
        position += forward ? 1 : -1;
    for (;;) {
        QTextCursor from(document);
        from.setPosition(position);
        const QTextCursor found = regEx ? document->find(pattern, from, flags) : document->find(needle, from, flags);
        if (found.isNull())
            return found;
        if (found.hasSelection() && !splitsCharacter(document, found.selectionStart())
            && !splitsCharacter(document, found.selectionEnd()))
            return found;
        // Backward, the next search already looks only at matches that start before its position.
        position = found.selectionStart();
        if (forward || splitsCharacter(document, position))
            position = stepOver(document, position, forward);
        if (position < 0 || position > document->characterCount() - 1)
            return QTextCursor();
    }
}

void WidgetSearch::setFieldColour(const QString& colour)
{
    ui->searchLineEdit->setStyleSheet(colour.isEmpty() ? QStringLiteral("* { background: none; }")
                                                       : QStringLiteral("* { background: %1; }").arg(colour));
}

bool WidgetSearch::doSearch(bool forward, bool wrap)
{
    if (!textEdit)
        return false;
    if (ui->searchLineEdit->text().isEmpty()) {
        setFieldColour(QString());
        return false;
    }
    QTextCursor found = findFrom(textEdit->textCursor(), forward);
    if (found.isNull() && wrap) {
        QTextCursor edge(textEdit->document());
        edge.movePosition(forward ? QTextCursor::Start : QTextCursor::End);
        found = findFrom(edge, forward);
    }
    if (!found.isNull())
        textEdit->setTextCursor(found);
    setFieldColour(found.isNull() ? NotFoundColour : FoundColour);
    return !found.isNull();
}

void WidgetSearch::showReplace(bool show)
{
    ui->btnShowReplace->setIcon(
        getIconFont()->icon(show ? IconHideReplace : IconShowReplace,
                            IconColorOptions(QColor(77, 130, 184), QColor(176, 176, 176))));
    ui->widgetReplace->setVisible(show);
    ui->searchLineEdit->setFocus();
}

bool WidgetSearch::isReplaceShow() const
{
    return ui->widgetReplace->isVisibleTo(this);
}

void WidgetSearch::activateSearch()
{
    showReplace(false);
    show();
    if (!textEdit)
        return;
    const QTextCursor cursor = textEdit->textCursor();
    if (cursor.hasSelection() && ui->searchLineEdit->text().isEmpty()) {
        const QSignalBlocker blocker(ui->searchLineEdit);
        ui->searchLineEdit->setText(cursor.selectedText());
    }
    ui->searchLineEdit->setFocus();
    ui->searchLineEdit->selectAll();
    doSearch(true, true);
}

void WidgetSearch::activateReplace()
{
    if (!textEdit || textEdit->isReadOnly())
        return;
    activateSearch();
    showReplace(true);
}

void WidgetSearch::on_btnClose_clicked()
{
    hide();
    if (textEdit)
        textEdit->setFocus();
}

void WidgetSearch::on_btnSearchForward_clicked()
{
    doSearch(true, true);
}

void WidgetSearch::on_btnSearchBack_clicked()
{
    doSearch(false, true);
}

void WidgetSearch::on_btnShowReplace_clicked(bool checked)
{
    Q_UNUSED(checked)
    showReplace(!isReplaceShow());
}

// The replacement of one match, with \1 ... \99 filled from the captures the expression gives
// where the match stands in its paragraph, so lookaheads and anchors see the text around it. A
// selection that is not such a match has every match inside it replaced instead.
QString WidgetSearch::replacementFor(const QTextCursor& match) const
{
    const QString after = ui->replaceLineEdit->text();
    if (!ui->btnRegEx->isChecked())
        return after;
    const QRegularExpression pattern = searchExpression();
    const QTextBlock block = match.document()->findBlock(match.selectionStart());
    const int start = match.selectionStart() - block.position();
    const int length = match.selectionEnd() - match.selectionStart();
    // The document's find reads no-break spaces as spaces; the match is looked for where it found it.
    QString paragraph = block.text();
    paragraph.replace(QChar::Nbsp, QLatin1Char(' '));
    const QRegularExpressionMatch found =
        start + length > paragraph.size() ? QRegularExpressionMatch() : pattern.match(paragraph, start);
    if (!found.hasMatch() || found.capturedStart() != start || found.capturedLength() != length) {
        QString text = match.selectedText();
        return text.replace(pattern, after);
    }
    QString result;
    const int groups = pattern.captureCount();
    for (int i = 0; i < after.size(); ++i) {
        const QChar c = after.at(i);
        int group = (c == QLatin1Char('\\') && i + 1 < after.size()) ? after.at(i + 1).digitValue() : -1;
        if (group < 1 || group > groups) {
            result += c;
            continue;
        }
        int used = 2;
        if (i + 2 < after.size() && after.at(i + 2).isDigit()) {
            const int twoDigits = group * 10 + after.at(i + 2).digitValue();
            if (twoDigits <= groups) {
                group = twoDigits;
                used = 3;
            }
        }
        result += found.captured(group);
        i += used - 1;
    }
    return result;
}

bool WidgetSearch::on_btnReplaceNext_clicked(bool forAll)
{
    if (!textEdit || textEdit->isReadOnly())
        return false;
    QTextCursor cursor = textEdit->textCursor();
    if (!forAll && !cursor.hasSelection())
        return false;
    cursor.insertText(replacementFor(cursor));
    textEdit->setTextCursor(cursor);
    if (forAll)
        return true;
    const int after = cursor.position();
    if (!doSearch(true, true)) {
        cursor.setPosition(after);
        textEdit->setTextCursor(cursor);
    }
    return true;
}

// Every match is found in the text as it stands before anything is replaced, so a replacement never
// makes or breaks the next match (a new line start, a word boundary); then all are replaced in one
// edit: one undo step and one re-highlight, however many matches there are.
void WidgetSearch::on_btnReplaceAll_clicked()
{
    if (!textEdit || textEdit->isReadOnly() || ui->searchLineEdit->text().isEmpty())
        return;
    struct Replacement
    {
        int start;
        int end;
        QString text;
    };
    std::vector<Replacement> replacements;
    QTextCursor position(textEdit->document());
    for (;;) {
        const QTextCursor found = findFrom(position, true);
        if (found.isNull())
            break;
        replacements.push_back({found.selectionStart(), found.selectionEnd(), replacementFor(found)});
        position.setPosition(found.selectionEnd());
    }
    setFieldColour(replacements.empty() ? NotFoundColour : FoundColour);
    if (replacements.empty())
        return;
    QTextCursor edit(textEdit->document());
    edit.beginEditBlock();
    int shift = 0;
    for (const Replacement& replacement : replacements) {
        edit.setPosition(replacement.start + shift);
        edit.setPosition(replacement.end + shift, QTextCursor::KeepAnchor);
        edit.insertText(replacement.text);
        shift += replacement.text.size() - (replacement.end - replacement.start);
    }
    edit.endEditBlock();
    textEdit->setTextCursor(edit);
}

bool WidgetSearch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress)
        return QWidget::eventFilter(watched, event);
    const auto* keyEvent = static_cast<QKeyEvent*>(event);
    const bool shift = keyEvent->modifiers() & Qt::ShiftModifier;
    switch (keyEvent->key()) {
    case Qt::Key_Escape:
        on_btnClose_clicked();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        doSearch(!shift, true);
        return true;
    case Qt::Key_Up:
        doSearch(false, true);
        return true;
    case Qt::Key_Down:
        doSearch(true, true);
        return true;
    case Qt::Key_F3:
        doSearch(!shift, true);
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

void WidgetSearch::searchLineEditTextChanged(const QString& text)
{
    Q_UNUSED(text)
    // Typing refines the match already found: the search starts where it starts.
    if (textEdit) {
        QTextCursor cursor = textEdit->textCursor();
        if (cursor.hasSelection()) {
            cursor.setPosition(cursor.selectionStart());
            textEdit->setTextCursor(cursor);
        }
    }
    doSearch(true, true);
}
