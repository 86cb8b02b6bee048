#pragma once

#include "comvariant.h"

// One underlined occurrence of a flagged text in the document, with the underline the text carried
// before it was marked, so that dropping the mark gives the user's own formatting back.
class WordMark
{
public:
    WordMark(IDispatchPtr range, int id);

    // Puts the saved underline style and colour back on the occurrence; raises _com_error.
    void restore();

    IDispatchPtr range;
    int savedUnderline = 0;
    int savedColor = int(0xFF000000);
    int id = -1;   // index of the result in WordDocumentData::results
};
