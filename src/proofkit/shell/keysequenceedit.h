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

    // The entry when it can serve as a hot key, else empty: the editor only wipes a refused entry
    // a second after the last key, and nobody may read it as a hot key in between.
    QKeySequence keySequence() const;
    void setKeySequence(const QKeySequence& keySequence);
    // The field holds keys that keySequence() refuses.
    bool isRefused() const;

    // Whether a sequence can serve as a global hot key.
    static bool isAcceptable(const QKeySequence& keySequence);

signals:
    void editingFinished();

private slots:
    void onEditingFinished();

private:
    QKeySequenceEdit* edit = nullptr;
};
