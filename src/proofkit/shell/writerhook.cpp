#include "writerhook.h"

#include "showwriter.h"

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
    showWriter(text);
}
