#pragma once

#include <QFileDialog>
#include <QFont>
#include <QMessageBox>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

#include "checkdata.h"
#include "lineends.h"
#include "proofkit_export.h"
#include "texteditexconfig.h"

class ContextShow;
class LineNumberArea;
class QTextCodec;
class QTimer;
class SyntaxHighlighter;

// Placeholders kept in the editor's table of virtual operations for editing commands it does not
// offer; subclasses may give them a meaning.
#define TEXTEDITEX_RESERVED_PAIR(n)                       \
    virtual void reservedOperation##n(const QVariant&) {} \
    virtual bool reservedQuery##n() const { return false; }

// The writing window's text area: marks of the last check, the error card for the error under the
// cursor and its commands, reading-aloud paragraphs, typing aids, line numbers, text files.
class PROOFKIT_EXPORT TextEditEx : public QTextEdit
{
    Q_OBJECT
public:
    // Replaces the file dialogs (tests answer them without a modal loop): the chosen path, or an
    // empty string when the user cancelled.
    using FileDialogHandler =
        std::function<QString(const QString& caption, QFileDialog::AcceptMode mode, const QStringList& filters)>;
    // Replaces the editor's message boxes; returns the button pressed (NoButton when closed).
    using MessageBoxHandler = std::function<QMessageBox::StandardButton(
        QMessageBox::Icon icon, const QString& title, const QString& text, QMessageBox::StandardButtons buttons)>;

    explicit TextEditEx(QWidget* parent = nullptr);
    ~TextEditEx() override;

    void setFileDialogHandler(FileDialogHandler handler);
    void setMessageBoxHandler(MessageBoxHandler handler);

    // Check results and the error card.
    void setCheckData(std::vector<std::shared_ptr<CheckData>>& results);
    // Results of a check of checkedText; the document may have been edited since it was sent.
    void setCheckData(std::vector<std::shared_ptr<CheckData>>& results, const QString& checkedText);
    void setErrorTypeFilter(int type);
    ContextShow* getContextShow() const;
    QString currentErrorText();
    void reportError();
    // Selects the next place, after the cursor and then from the start, where the result at index
    // is marked; false when it is marked nowhere.
    bool selectError(int index);
    // The words of the result at index still stand at a place it flagged, ignored or filtered out or not.
    bool errorStands(int index);

    // Reading aloud: paragraphs with text, U+200B left out; blank ones are passed over. At the first
    // paragraph with text, the previous one is that paragraph again, so reading never loses its place.
    bool currentParagraphForSpeech(QString& text, int& position);
    bool nextParagraphForSpeech(QString& text, int& position);
    bool previousParagraphForSpeech(QString& text, int& position);
    void selectRange(int start, int end);
    void setSpeakingFlag(bool on);

    // View.
    void setZoom(int percent);
    int zoomLevel() const;
    void setTabStopWidth();
    void setReadOnlyMode(bool readOnly);
    void setInputMethodEnabled(bool on);
    void setShowLineNumbers(bool show);
    bool showLineNumbers() const;
    // A spare switch kept for callers; the editor itself never reads it.
    void setExtraSwitch(bool on);
    bool extraSwitch() const;
    void setHighlightCurrentLineEnabled(bool on);
    bool highlightCurrentLineEnabled() const;
    void setWordWrap(bool on);
    bool wordWrap() const;
    void setHighlightEnabled(bool on);
    SyntaxHighlighter* highlighter() const;
    const TextEditExConfig& editorConfig() const { return config; }

    // Formatting of the selection (the word under the cursor when nothing is selected).
    void setFontFamily(const QString& family);
    void setFontPointSize(const QString& size);
    void setTextColor(const QColor& color);
    void setListStyle(int style);
    void toggleList();

    // Text files.
    bool getSaveFileName();
    bool newPlainText();
    bool newRichText();
    bool maybeSave();
    QString filePath() const;
    void setModified(bool modified);
    bool isModified() const;
    QTextCodec* fileCodec() const { return codec; }
    int fileEncoding() const { return encoding; }
    static QStringList fileDialogFilters();

    // Line-number gutter.
    void lineNumberAreaPaintEvent(QPaintEvent* event);
    QTextBlock firstVisibleBlock() const;
    int verticalOffset() const;
    int lineNumberAreaWidth() const;

    // Own virtual operations; the unnamed ones keep their places for subclasses.
    virtual void alignCenter();
    virtual bool reservedQuery1() const { return false; }
    virtual void alignJustify();
    virtual bool reservedQuery2() const { return false; }
    virtual void alignLeft();
    virtual bool reservedQuery3() const { return false; }
    virtual void alignRight();
    virtual bool reservedQuery4() const { return false; }
    virtual void setBold(bool bold);
    virtual bool reservedQuery5() const { return false; }
    virtual void decreaseIndent();
    virtual void increaseIndent();
    TEXTEDITEX_RESERVED_PAIR(6)
    virtual void setItalic(bool italic);
    virtual bool reservedQuery7() const { return false; }
    TEXTEDITEX_RESERVED_PAIR(8)
    TEXTEDITEX_RESERVED_PAIR(9)
    TEXTEDITEX_RESERVED_PAIR(10)
    TEXTEDITEX_RESERVED_PAIR(11)
    TEXTEDITEX_RESERVED_PAIR(12)
    TEXTEDITEX_RESERVED_PAIR(13)
    TEXTEDITEX_RESERVED_PAIR(14)
    TEXTEDITEX_RESERVED_PAIR(15)
    TEXTEDITEX_RESERVED_PAIR(16)
    TEXTEDITEX_RESERVED_PAIR(17)
    TEXTEDITEX_RESERVED_PAIR(18)
    TEXTEDITEX_RESERVED_PAIR(19)
    TEXTEDITEX_RESERVED_PAIR(20)
    TEXTEDITEX_RESERVED_PAIR(21)
    TEXTEDITEX_RESERVED_PAIR(22)
    TEXTEDITEX_RESERVED_PAIR(23)
    TEXTEDITEX_RESERVED_PAIR(24)
    virtual void setUnderline(bool underline);
    virtual bool reservedQuery25() const { return false; }
    virtual void mergeFont(const QFont& font);
    virtual void setEditorFont(const QFont& font);
    virtual void enterEditMode();
    virtual void enterReadMode();
    virtual bool saveFile(QString path);
    virtual bool openFile(QString path);
    virtual void reloadFile();
    virtual void gotoLine(int line);
    virtual void reservedOperation26(const QVariant&) {}
    virtual void openUrl(QString url);
    virtual void highlightCurrentLine();
    virtual bool jumpTitle(bool p_forward, int p_relativeLevel, int p_repeat);
    virtual bool handleTab(bool reverse);
    virtual bool handleReturn();
    virtual bool handleBracketOpening(QString open, QString close);
    virtual bool handleBracketClosing(QString open, QString close);
    virtual bool handleBracketRemoval();
    virtual void duplicateText();
    virtual void reservedOperation27() {}
    virtual QString linkAt(QString lineText, int position);

    bool indentSelection(bool reverse);
    bool openLinkAtCursorPosition();

signals:
    void saveAndRead();
    void discardAndRead();
    void editNote();
    void saveNote();
    void configUpdated();
    void statusMessage(QString p_msg);
    void selectionChangedByMouse(bool p_hasSelection);
    void urlClicked(QString);
    void zoomed(int level);
    // A suggestion of the result at index was applied or undone.
    void errorCorrected(int index);
    // A file was opened or a new document begun in place of the text there was.
    void documentReplaced();

public slots:
    // The card's buttons land here; the window's error list and arrows call the same slots.
    void onApply(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    void onUndoError();
    bool onNext();
    bool onPrev();
    void onIgnoreAll();
    void onIgnoreOnce();
    void onReportError();
    void onAddToDict();
    void onHideDialog();

    void handleSaveExitAct();
    void handleDiscardExitAct();
    void handleEditAct();
    void highlightSelectedWord();
    void highlightTrailingSpace();
    void updateLineNumberAreaWidth();
    void updateLineNumberArea();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private slots:
    void handleCursorPositionChanged();
    void currentCharFormatChanged(const QTextCharFormat& format);
    void applyExtraSelections();

private:
    // One error mark in a paragraph, in paragraph positions.
    struct ErrorRange
    {
        int start = -1;
        int length = 0;
        bool isValid() const { return start >= 0; }
    };
    enum ExtraKind { CurrentLine, SelectedWord, Occurrence, SearchHit, SearchSelection, TrailingSpace, KindCount };

    void updateSpellError(QTextCursor& cursor);
    ErrorRange errorRangeAt(const QTextBlock& block, int positionInBlock) const;
    // The error under the cursor; a selection that covers a mark exactly means that mark.
    ErrorRange errorRangeUnder(const QTextCursor& cursor) const;
    // The document range of the mark of result index: the one the card was opened for while the
    // card's suggestion is applied, else the one the cursor stands in, else the next one.
    QTextCursor errorOfResult(int index);
    void applyFromCard(QString itemTitle, int itemIndex, QString groupTitle, int groupIndex);
    bool appliedRangeHolds() const;
    bool undoBelongsTo(int start, int end) const;
    void mergeFormatOnSelection(const QTextCharFormat& format);
    void setAlignmentOf(Qt::Alignment alignment);
    void changeIndent(int delta);
    void updateExtraSelections(bool now);
    void clearExtraKind(int kind);
    void computeTabStop();
    bool isSpeechSkipped(const QTextBlock& block) const;
    bool stepSpeechParagraph(bool forward, QString& text, int& position);
    bool takeSpeechBlock(QString& text, int& position) const;
    static QString speechText(const QTextBlock& block);
    QMessageBox::StandardButton showBox(QMessageBox::Icon icon, const QString& text,
                                        QMessageBox::StandardButtons buttons);
    QString askFileName(const QString& caption, QFileDialog::AcceptMode mode);
    bool readFile(const QString& path);
    bool writeFile(const QString& path);

    QTextBlock speechBlock;
    TextEditExConfig config;
    SyntaxHighlighter* syntaxHighlighter = nullptr;
    QTextCursor appliedCursor;
    QString replacedText;
    QString appliedText;
    int appliedGroupIndex = -1;
    bool suppressErrorTip = false;
    ContextShow* contextShow = nullptr;
    QString currentFilePath;
    QList<QTextEdit::ExtraSelection> extraSelectionLists[KindCount];
    QTimer* extraSelectionTimer = nullptr;
    bool dragScrolling = false;
    bool dragMoved = false;
    int dragX = 0;
    int dragY = 0;
    bool inputMethodEnabled = true;
    qreal baseFontSize = 0;
    LineNumberArea* lineNumberArea = nullptr;
    QTextCodec* codec = nullptr;
    int encoding = 3;
    LineEnds lineEnds;
    int listStyle = -4;

    // Per editor, so one editor's card state never keeps another's card shut.
    QTextCursor previousCursor;
    bool hasPreviousCursor = false;
    QString lastShownError;
    // The mark the card was opened for; its buttons act there, wherever the cursor went since.
    QTextCursor cardPlace;
    bool applyingFromCard = false;

    FileDialogHandler fileDialogHandler;
    MessageBoxHandler messageBoxHandler;
};
