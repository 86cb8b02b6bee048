#pragma once

#include <QVector>

#include "comvariant.h"

// One underlined occurrence of a flagged text in the document, with the underline the text carried
// before it was marked, so that dropping the mark gives the user's own formatting back. What the
// user had is kept per stretch: part of an occurrence may carry the user's underline and part
// not, and a part already under another mark is given back by that mark.
class WordMark
{
public:
    WordMark(IDispatchPtr range, int id);

    // Remembers the underline [range] carried before the mark went on.
    void save(IDispatchPtr stretch, int underline, int color);
    // Puts the saved underline styles and colours back; raises _com_error.
    void restore();

    IDispatchPtr range;
    int id = -1;   // index of the result in WordDocumentData::results

private:
    struct Saved
    {
        IDispatchPtr stretch;
        int underline = 0;
        int color = int(0xFF000000);
    };
    QVector<Saved> saved;
};
