#pragma once

#include <QWidget>

#include "proofkit_export.h"

namespace Ui { class WidgetHistoryItem; }

// One row of the history panel: the text, word-wrapped, and a button that deletes the row.
class PROOFKIT_EXPORT WidgetHistoryItem : public QWidget
{
    Q_OBJECT
public:
    explicit WidgetHistoryItem(QWidget* parent = nullptr);
    ~WidgetHistoryItem() override;

    void setText(int id, QString text);

signals:
    void deleteText(int id);

private slots:
    void on_btnDelete_clicked();

private:
    Ui::WidgetHistoryItem* ui = nullptr;
    int id = -1;
};
