#include "widgethistoryitem.h"
#include "ui_widgethistoryitem.h"

#include "iconfont.h"

WidgetHistoryItem::WidgetHistoryItem(QWidget* parent) : QWidget(parent), ui(new Ui::WidgetHistoryItem)
{
    ui->setupUi(this);
    ui->btnDelete->setIcon(
        getIconFont()->icon(0xf014, IconColorOptions(QColor(77, 130, 184), QColor(176, 176, 176))));
    // A text taken from a document is shown as written, never as mark-up.
    ui->lblText->setTextFormat(Qt::PlainText);
}

WidgetHistoryItem::~WidgetHistoryItem()
{
    delete ui;
}

void WidgetHistoryItem::setText(int id, QString text)
{
    this->id = id;
    ui->lblText->setText(text);
}

void WidgetHistoryItem::on_btnDelete_clicked()
{
    emit deleteText(id);
    hide();
    deleteLater();
}
