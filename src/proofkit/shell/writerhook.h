#pragma once

#include <QString>

#include <functional>

#include "proofkit_export.h"

// Opens a writing window holding the given text (empty for a blank one). Replaceable, so the window
// can be put in by the library that has it and tests can see the call; the default only logs it.
using WriterFunction = std::function<void(const QString& text)>;

// An empty function restores the default.
PROOFKIT_EXPORT void setWriterFunction(WriterFunction function);
PROOFKIT_EXPORT void openWriter(const QString& text);
