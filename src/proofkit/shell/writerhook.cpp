#include "writerhook.h"

#include <QDebug>

namespace {
WriterFunction& currentWriterFunction()
{
    static WriterFunction function;
    return function;
}
}

void setWriterFunction(WriterFunction function)
{
    currentWriterFunction() = std::move(function);
}

void openWriter(const QString& text)
{
    if (const WriterFunction& function = currentWriterFunction()) {
        function(text);
        return;
    }
    qInfo().noquote() << QStringLiteral("Writing window asked for with %1 characters; none is available")
                             .arg(text.size());
}
