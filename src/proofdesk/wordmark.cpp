#include "wordmark.h"

#include "wordobjects.h"

WordMark::WordMark(IDispatchPtr range, int id) : range(std::move(range)), id(id)
{
}

void WordMark::save(IDispatchPtr stretch, int underline, int color)
{
    saved.append({std::move(stretch), underline, color});
}

void WordMark::restore()
{
    for (const Saved& part : qAsConst(saved)) {
        IDispatchPtr font = getProperty(part.stretch, word::Range::Font).toDispatch();
        putProperty(font, word::Font::Underline, part.underline);
        putProperty(font, word::Font::UnderlineColor, part.color);
    }
}
