#include "showwriter.h"

#include "dialogwriter.h"
#include "frontrequest.h"

DialogWriter* showWriter(const QString& text)
{
    auto* writer = new DialogWriter(nullptr);
    writer->setAttribute(Qt::WA_DeleteOnClose);
    QString copy = text;
    writer->setText(copy);
    writer->show();
    // Always asked for by the user (a command, a hot key, a button), so it comes in front of the
    // editor the user was in.
    FrontRequest::bringToFront(writer);
    return writer;
}
