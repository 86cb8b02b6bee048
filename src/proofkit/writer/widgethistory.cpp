#include "widgethistory.h"
#include "ui_widgethistory.h"

#include "widgethistoryitem.h"

WidgetHistory::WidgetHistory(QWidget* parent) : QWidget(parent), ui(new Ui::WidgetHistory)
{
    ui->setupUi(this);
}

WidgetHistory::~WidgetHistory()
{
    delete ui;
}

void WidgetHistory::addItem(QString text)
{
    auto* item = new WidgetHistoryItem(this);
    item->setText(-1, text);
    ui->scrollLayout->addWidget(item);
}

void WidgetHistory::clear()
{
    while (QLayoutItem* item = ui->scrollLayout->takeAt(0)) {
        if (QWidget* widget = item->widget())
            widget->deleteLater();
        delete item;
    }
}
