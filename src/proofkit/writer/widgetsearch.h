#pragma once

#include <QTextCursor>
#include <QTextDocument>
#include <QWidget>

#include "proofkit_export.h"

namespace Ui { class WidgetSearch; }
class QRegularExpression;
class QTextEdit;

// The find and replace bar above the writing window's editor: plain text or regular expression,
// either direction, case and whole words, wrapping, replace one or all.
class PROOFKIT_EXPORT WidgetSearch : public QWidget
{
    Q_OBJECT
public:
    explicit WidgetSearch(QWidget* parent = nullptr);
    ~WidgetSearch() override;

    void setTextEdit(QTextEdit* edit);
    bool doSearch(bool forward, bool wrap);
    void showReplace(bool show);
    bool isReplaceShow() const;
    void activateSearch();
    void activateReplace();

public slots:
    void on_btnClose_clicked();
    void on_btnSearchForward_clicked();
    void on_btnSearchBack_clicked();
    void on_btnShowReplace_clicked(bool checked);
    bool on_btnReplaceNext_clicked(bool forAll = false);
    void on_btnReplaceAll_clicked();
    void searchLineEditTextChanged(const QString& text);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTextDocument::FindFlags findFlags(bool forward) const;
    QRegularExpression searchExpression() const;
    // The first non-empty match from cursor in the given direction, or a null cursor.
    QTextCursor findFrom(const QTextCursor& cursor, bool forward) const;
    QString replacementFor(const QTextCursor& match) const;
    void setFieldColour(const QString& colour);

    Ui::WidgetSearch* ui = nullptr;
    QTextEdit* textEdit = nullptr;
};
