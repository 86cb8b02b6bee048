#pragma once

#include <atspi/atspi.h>

#include <QString>

#include "busref.h"

// Documents whose text is spread over one object per paragraph (a word processor's page): the page
// object manages its descendants and has no text of its own, and the focus goes to the paragraph
// holding the caret. Such a document is followed as one editor: the page object, its text the
// paragraphs' texts in order. All of these run on the bus thread.
namespace atspi_detail {

// An editable page object of that kind.
bool isParagraphDocument(AtspiAccessible* accessible);
// What a focus on the object stands for: the document when the object is one of a paragraph
// document's paragraphs (its tables' and frames' too), else the object itself.
BusRef focusTarget(AtspiAccessible* accessible);
// The paragraphs the document shows (the program offers those on screen), tables' cells among them,
// in order, each ended by a line break but the last, as the program writes them as plain text;
// false when the bus does not answer.
bool readDocumentText(AtspiAccessible* document, QString& text);
// Whether one of the document's paragraphs holds the focus.
bool documentHoldsFocus(AtspiAccessible* document);

} // namespace atspi_detail
