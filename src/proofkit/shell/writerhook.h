#pragma once

#include <QString>

#include <functional>

#include "proofkit_export.h"

// Opens a writing window holding the given text (empty for a blank one); an HTML document is
// given as the text it shows. Replaceable, so tests can see the call; the default opens a new
// writing window.
using WriterFunction = std::function<void(const QString& text)>;

// An empty function restores the default.
PROOFKIT_EXPORT void setWriterFunction(WriterFunction function);
PROOFKIT_EXPORT void openWriter(const QString& text);
