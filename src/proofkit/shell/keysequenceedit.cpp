#include "keysequenceedit.h"

#include <QHBoxLayout>
#include <QKeySequenceEdit>
#include <QToolButton>

KeySequenceEdit::KeySequenceEdit(const QKeySequence& keySequence, QWidget* parent) : QWidget(parent)
{
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    edit = new QKeySequenceEdit(keySequence, this);
    layout->addWidget(edit);
    auto* clear = new QToolButton(this);
    clear->setAutoRaise(true);
    clear->setText(QStringLiteral("\u232B"));
    clear->setToolTip(tr("Clear"));
    layout->addWidget(clear);
    setFocusProxy(edit);
    connect(clear, &QToolButton::clicked, edit, &QKeySequenceEdit::clear);
    connect(edit, &QKeySequenceEdit::editingFinished, this, &KeySequenceEdit::onEditingFinished);
}

QKeySequence KeySequenceEdit::keySequence() const
{
    const QKeySequence entered = edit->keySequence();
    return isAcceptable(entered) ? entered : QKeySequence();
}

bool KeySequenceEdit::isRefused() const
{
    return !edit->keySequence().isEmpty() && !isAcceptable(edit->keySequence());
}

void KeySequenceEdit::setKeySequence(const QKeySequence& keySequence)
{
    edit->setKeySequence(keySequence);
}

bool KeySequenceEdit::isAcceptable(const QKeySequence& keySequence)
{
    return keySequence.count() == 1 && (keySequence[0] & (Qt::ControlModifier | Qt::AltModifier));
}

void KeySequenceEdit::onEditingFinished()
{
    if (isAcceptable(edit->keySequence()))
        emit editingFinished();
    else
        edit->clear();
}
