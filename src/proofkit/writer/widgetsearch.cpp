#include "widgetsearch.h"

#include "ui_widgetsearch.h"

#include <QKeyEvent>
#include <QRegExp>
#include <QTextEdit>

#include "iconfont.h"

namespace {

constexpr int IconShowReplace = 0xf078;
constexpr int IconHideReplace = 0xf077;
const QString FoundColour = QStringLiteral("#D5FAE2");
const QString NotFoundColour = QStringLiteral("#FAE9EB");

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

QRegExp WidgetSearch::searchRegExp() const
{
    return QRegExp(ui->searchLineEdit->text(),
                   ui->btnMatchCase->isChecked() ? Qt::CaseSensitive : Qt::CaseInsensitive);
}

// An empty match is never an answer: the search goes on from the next position, so a pattern
// that matches only empty text is not found and Replace All always moves on.
QTextCursor WidgetSearch::findFrom(const QTextCursor& start, bool forward) const
{
    QTextDocument* document = textEdit->document();
    const QTextDocument::FindFlags flags = findFlags(forward);
    const bool regEx = ui->btnRegEx->isChecked();
    const QRegExp pattern = searchRegExp();
    const QString needle = ui->searchLineEdit->text();
    QTextCursor from = start;
    for (;;) {
        const QTextCursor found = regEx ? document->find(pattern, from, flags) : document->find(needle, from, flags);
        if (found.isNull() || found.hasSelection())
            return found;
        const int position = found.position() + (forward ? 1 : -1);
        if (position < 0 || position > document->characterCount() - 1)
            return QTextCursor();
        from = QTextCursor(document);
        from.setPosition(position);
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

// The replacement of one match: in regular-expression mode its captures (\1 ...) are filled in.
QString WidgetSearch::replacementFor(const QString& matched) const
{
    const QString after = ui->replaceLineEdit->text();
    if (!ui->btnRegEx->isChecked())
        return after;
    QRegExp pattern = searchRegExp();
    if (!pattern.exactMatch(matched)) {
        QString text = matched;
        return text.replace(pattern, after);
    }
    QString result;
    for (int i = 0; i < after.size(); ++i) {
        const QChar c = after.at(i);
        if (c == QLatin1Char('\\') && i + 1 < after.size() && after.at(i + 1).isDigit()) {
            const int group = after.at(i + 1).digitValue();
            if (group >= 1 && group <= pattern.captureCount()) {
                result += pattern.cap(group);
                ++i;
                continue;
            }
        }
        result += c;
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
    cursor.insertText(replacementFor(cursor.selectedText()));
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

// Every match from the start to the end, replaced on the document in one edit: one undo step
// and one re-highlight, however many matches there are.
void WidgetSearch::on_btnReplaceAll_clicked()
{
    if (!textEdit || textEdit->isReadOnly() || ui->searchLineEdit->text().isEmpty())
        return;
    QTextCursor position(textEdit->document());
    QTextCursor edit(textEdit->document());
    bool any = false;
    for (;;) {
        QTextCursor found = findFrom(position, true);
        if (found.isNull())
            break;
        if (!any) {
            edit.beginEditBlock();
            any = true;
        }
        const QString replacement = replacementFor(found.selectedText());
        edit.setPosition(found.selectionStart());
        edit.setPosition(found.selectionEnd(), QTextCursor::KeepAnchor);
        edit.insertText(replacement);
        position.setPosition(edit.position());
    }
    setFieldColour(any ? FoundColour : NotFoundColour);
    if (!any)
        return;
    edit.endEditBlock();
    textEdit->setTextCursor(position);
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
