#include "wordmark.h"

#include "wordobjects.h"

WordMark::WordMark(IDispatchPtr range, int id) : range(std::move(range)), id(id)
{
}

void WordMark::restore()
{
    IDispatchPtr font = getProperty(range, word::Range::Font).toDispatch();
    putProperty(font, word::Font::Underline, savedUnderline);
    putProperty(font, word::Font::UnderlineColor, savedColor);
}
