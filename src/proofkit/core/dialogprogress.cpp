#include "dialogprogress.h"

#include <QCloseEvent>

#include "ui_dialogprogress.h"

DialogProgress::DialogProgress(QWidget* parent)
    : BaseDialog(parent), ui(new Ui::DialogProgress)
{
    ui->setupUi(this);
    // Shown while the user types elsewhere: the keys must stay in the editor being checked.
    setAttribute(Qt::WA_ShowWithoutActivating);
    setWindowFlags(windowFlags() | Qt::WindowDoesNotAcceptFocus);
}

DialogProgress::~DialogProgress()
{
    delete ui;
}

void DialogProgress::setProgress(int n)
{
    ui->progressBar->setMaximum(n != 0 ? 100 : 0);
    // The bar ignores values outside its range and would keep showing the old one.
    ui->progressBar->setValue(qBound(0, n, 100));
}

void DialogProgress::setTitle(const QString& title)
{
    ui->labelMsg->setText(title);
}

void DialogProgress::on_btnCancel_clicked()
{
    emit cancel();
    cancelSent = true;
    close();
    cancelSent = false;
}

void DialogProgress::closeEvent(QCloseEvent* e)
{
    if (!cancelSent && isVisible())
        emit cancel();
    BaseDialog::closeEvent(e);
}
