#include "writerhook.h"

#include <QRegularExpression>
#include <QTextDocumentFragment>

#include "showwriter.h"

namespace {
// A word processor hands its page over through the clipboard as an HTML document when it can; the
// writing window holds text, and a check of it must not read tags.
QString asText(const QString& text)
{
    static const QRegularExpression htmlDocument(QStringLiteral("^\\s*(<!doctype\\s+html|<html[\\s>])"),
                                                 QRegularExpression::CaseInsensitiveOption);
    if (!htmlDocument.match(text).hasMatch())
        return text;
    return QTextDocumentFragment::fromHtml(text).toPlainText();
}

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
    const QString plain = asText(text);
    if (const WriterFunction& function = currentWriterFunction()) {
        function(plain);
        return;
    }
    showWriter(plain);
}
