#pragma once

#include <QKeySequence>
#include <QWidget>

#include "proofkit_export.h"

class QKeySequenceEdit;

// A hot-key field with a clear button. Only one chord holding Ctrl or Alt is kept: anything else
// (Shift or Meta alone, no modifier, two chords) is wiped as soon as the entry ends.
class PROOFKIT_EXPORT KeySequenceEdit : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QKeySequence keySequence READ keySequence WRITE setKeySequence)
public:
    explicit KeySequenceEdit(const QKeySequence& keySequence, QWidget* parent = nullptr);

    QKeySequence keySequence() const;
    void setKeySequence(const QKeySequence& keySequence);

    // Whether a sequence can serve as a global hot key.
    static bool isAcceptable(const QKeySequence& keySequence);

signals:
    void editingFinished();

private slots:
    void onEditingFinished();

private:
    QKeySequenceEdit* edit = nullptr;
};
