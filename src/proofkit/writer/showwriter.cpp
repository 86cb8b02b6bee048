#include "showwriter.h"

#include "dialogwriter.h"

DialogWriter* showWriter(const QString& text)
{
    auto* writer = new DialogWriter(nullptr);
    writer->setAttribute(Qt::WA_DeleteOnClose);
    QString copy = text;
    writer->setText(copy);
    writer->show();
    return writer;
}
