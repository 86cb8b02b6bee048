#pragma once

#include <QWidget>

#include "proofkit_export.h"

class QTextDocument;
class TextEditEx;

// The gutter at the editor's left that numbers its paragraphs; the editor paints it.
class PROOFKIT_EXPORT LineNumberArea : public QWidget
{
    Q_OBJECT
public:
    explicit LineNumberArea(TextEditEx* editor);

    int calculateWidth();
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    TextEditEx* editor = nullptr;
    QTextDocument* document = nullptr;
    int areaWidth = 0;
    int lastBlockCount = -1;
};
