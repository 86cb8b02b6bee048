#pragma once

#include <QWidget>

#include "proofkit_export.h"

namespace Ui { class WidgetHistory; }

// The writing window's history panel: a scrollable column of texts, each with its delete button.
class PROOFKIT_EXPORT WidgetHistory : public QWidget
{
    Q_OBJECT
public:
    explicit WidgetHistory(QWidget* parent = nullptr);
    ~WidgetHistory() override;

    void addItem(QString text);
    // Empties the column, the form's own placeholders included.
    void clear();

private:
    Ui::WidgetHistory* ui = nullptr;
};
