#include "basedialog.h"

#include <QIcon>
#include <QKeyEvent>

#include "screenfit.h"

BaseDialog::BaseDialog(QWidget* parent)
    : QDialog(parent)
{
    Qt::WindowFlags flags = Qt::Dialog | Qt::WindowStaysOnTopHint | Qt::WindowCloseButtonHint;
#ifdef Q_OS_WIN
    // On X11 this hint makes the window override-redirect: no frame, and the window manager can
    // neither move, close nor focus it.
    flags |= Qt::BypassWindowManagerHint;
#endif
    setWindowFlags(flags);
    setWindowIcon(QIcon(QStringLiteral(":/images/icon128.png")));
}

void BaseDialog::showEvent(QShowEvent* e)
{
    QDialog::showEvent(e);
    ScreenFit::watch(this);
}

void BaseDialog::keyPressEvent(QKeyEvent* e)
{
    if (e->key() == Qt::Key_Escape)
        close();
    QDialog::keyPressEvent(e);
}
