// The simulated word processor's automation objects. Each request answers a new object over the
// shared records, as a cross-process proxy would; everything is reached through IDispatch.
#include <algorithm>
#include <cwctype>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "../window.h"
#include "../wordobjects.h"
#include "wordstate.h"

namespace sim_detail {
namespace {

using sim::WordObject;

constexpr WORD Get = DISPATCH_PROPERTYGET;
constexpr WORD Put = DISPATCH_PROPERTYPUT;
constexpr WORD Method = DISPATCH_METHOD;

struct Member
{
    DISPID id;
    const char16_t* name;
    WORD kinds;
    int required;
    int optional;
};

// The arguments of one call in declared order, and the assigned value of a put.
struct Args
{
    std::vector<const VARIANT*> list;
    const VARIANT* value = nullptr;

    bool given(size_t i) const
    {
        return i < list.size() && !(list[i]->vt == VT_ERROR && list[i]->scode == DISP_E_PARAMNOTFOUND);
    }
};

const VARIANT& plain(const VARIANT& v)
{
    if (v.vt == (VT_BYREF | VT_VARIANT) && v.pvarVal)
        return plain(*v.pvarVal);
    return v;
}

HRESULT toLong(const VARIANT* source, LONG& out)
{
    const VARIANT& v = plain(*source);
    switch (v.vt) {
    case VT_I4:
    case VT_INT:
        out = v.lVal;
        return S_OK;
    case VT_I2:
        out = v.iVal;
        return S_OK;
    case VT_BOOL:
        out = v.boolVal ? -1 : 0;
        return S_OK;
    case VT_R8:
        out = static_cast<LONG>(v.dblVal);
        return S_OK;
    case VT_BYREF | VT_I4:
        out = *v.plVal;
        return S_OK;
    case VT_BYREF | VT_BOOL:
        out = *v.pboolVal ? -1 : 0;
        return S_OK;
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

HRESULT toBool(const VARIANT* source, bool& out)
{
    LONG value = 0;
    const HRESULT hr = toLong(source, value);
    out = value != 0;
    return hr;
}

HRESULT toText(const VARIANT* source, std::u16string& out)
{
    const VARIANT& v = plain(*source);
    BSTR text = nullptr;
    if (v.vt == VT_BSTR)
        text = v.bstrVal;
    else if (v.vt == (VT_BYREF | VT_BSTR))
        text = *v.pbstrVal;
    else
        return DISP_E_TYPEMISMATCH;
    out.assign(text ? text : u"", SysStringLen(text));
    return S_OK;
}

IDispatch* toDispatch(const VARIANT* source)
{
    const VARIANT& v = plain(*source);
    if (v.vt == VT_DISPATCH)
        return v.pdispVal;
    if (v.vt == (VT_BYREF | VT_DISPATCH))
        return *v.ppdispVal;
    return nullptr;
}

HRESULT answer(VARIANT* result, LONG value)
{
    if (result) {
        result->vt = VT_I4;
        result->lVal = value;
    }
    return S_OK;
}

HRESULT answerBool(VARIANT* result, bool value)
{
    if (result) {
        result->vt = VT_BOOL;
        result->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    }
    return S_OK;
}

HRESULT answerText(VARIANT* result, const std::u16string& text)
{
    if (result) {
        result->vt = VT_BSTR;
        result->bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    }
    return S_OK;
}

// Takes over the object's one reference.
HRESULT answerObject(VARIANT* result, IDispatch* object)
{
    if (result) {
        result->vt = VT_DISPATCH;
        result->pdispVal = object;
    } else if (object) {
        object->Release();
    }
    return S_OK;
}

bool sameName(const char16_t* a, LPCOLESTR b)
{
    for (; *a && *b; ++a, ++b) {
        if (std::towlower(*a) != std::towlower(*b))
            return false;
    }
    return !*a && !*b;
}

// Late binding over a member table: names, kinds of call and argument counts are checked here,
// then the call is counted (and failed when asked) before the object's own code runs.
template <class... More>
class WordObjectBase : public ComObject<IDispatch, More...>
{
public:
    WordObjectBase() { wordRegistry().liveObjects++; }

    // Members are found by name through the table below; no type descriptions are offered.
    HRESULT GetTypeInfoCount(UINT* count) override
    {
        if (!count)
            return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override
    {
        if (!names || !ids)
            return E_INVALIDARG;
        HRESULT hr = S_OK;
        for (UINT i = 0; i < count; ++i) {
            ids[i] = DISPID_UNKNOWN;
            for (const Member& m : members()) {
                if (names[i] && sameName(m.name, names[i]))
                    ids[i] = m.id;
            }
            if (ids[i] == DISPID_UNKNOWN)
                hr = DISP_E_UNKNOWNNAME;
        }
        return hr;
    }

    HRESULT Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                   UINT* argumentError) override
    {
        if (result)
            VariantInit(result);
        const Member* member = nullptr;
        for (const Member& m : members()) {
            if (m.id == id)
                member = &m;
        }
        if (!member)
            return DISP_E_MEMBERNOTFOUND;
        DISPPARAMS none;
        if (!params)
            params = &none;
        const bool put = flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF);
        if (put ? !(member->kinds & Put) : !(member->kinds & flags & (Get | Method)))
            return DISP_E_MEMBERNOTFOUND;
        Args args;
        UINT positional = params->cArgs;
        if (put) {
            if (params->cNamedArgs != 1 || !params->rgdispidNamedArgs
                || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT || params->cArgs < 1)
                return DISP_E_PARAMNOTFOUND;
            args.value = &params->rgvarg[0];
            positional -= 1;
        } else if (params->cNamedArgs) {
            return DISP_E_NONAMEDARGS;
        }
        if (static_cast<int>(positional) > member->required + member->optional)
            return DISP_E_BADPARAMCOUNT;
        for (UINT i = 0; i < positional; ++i)
            args.list.push_back(&params->rgvarg[params->cArgs - 1 - i]);
        for (int i = 0; i < member->required; ++i) {
            if (!args.given(static_cast<size_t>(i))) {
                if (argumentError)
                    *argumentError = static_cast<UINT>(i);
                return DISP_E_PARAMNOTOPTIONAL;
            }
        }
        if (HRESULT hr = wordEnter(application().get(), connected(), kind(), id); FAILED(hr))
            return hr;
        return call(id, put, args, result);
    }

protected:
    ~WordObjectBase() override { wordRegistry().liveObjects--; }

    virtual const std::vector<Member>& members() const = 0;
    virtual WordObject kind() const = 0;
    virtual std::shared_ptr<WordApp> application() const = 0;
    virtual bool connected() const = 0;
    virtual HRESULT call(DISPID id, bool put, const Args& args, VARIANT* result) = 0;
};

// Objects of one document.
template <class... More>
class DocObject : public WordObjectBase<More...>
{
public:
    explicit DocObject(std::shared_ptr<WordDoc> doc) : doc(std::move(doc)) {}

protected:
    std::shared_ptr<WordApp> application() const override { return doc->app.lock(); }
    bool connected() const override
    {
        auto app = doc->app.lock();
        return doc->open && app && app->running;
    }
    WordDocModel& model() const { return doc->model; }

    std::shared_ptr<WordDoc> doc;
};

class SimRange;
SimRange* rangeOf(IDispatch* object);

class SimFont : public DocObject<>
{
public:
    // Live over a range, or the formatting of a search or replacement.
    SimFont(std::shared_ptr<WordDoc> doc, std::shared_ptr<Anchor> range) : DocObject(std::move(doc)), range(std::move(range)) {}
    SimFont(std::shared_ptr<WordDoc> doc, std::shared_ptr<FontCriteria> criteria)
        : DocObject(std::move(doc)), criteria(std::move(criteria))
    {
    }

    // What assigning this font to a range writes.
    FontCriteria values() const
    {
        if (criteria)
            return *criteria;
        const sim::Underline u = model().formatOf(range->start, range->end);
        FontCriteria out;
        if (u.style != word::wdUndefined)
            out.underline = u.style;
        if (u.color != word::wdUndefined)
            out.color = u.color;
        return out;
    }

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {
            {word::Font::Underline, u"Underline", Get | Put, 0, 0},
            {word::Font::UnderlineColor, u"UnderlineColor", Get | Put, 0, 0},
        };
        return table;
    }
    WordObject kind() const override { return WordObject::Font; }

    HRESULT call(DISPID id, bool put, const Args& args, VARIANT* result) override
    {
        const bool style = id == word::Font::Underline;
        if (put) {
            LONG value = 0;
            if (HRESULT hr = toLong(args.value, value); FAILED(hr))
                return hr;
            FontCriteria change;
            (style ? change.underline : change.color) = value;
            if (criteria) {
                (style ? criteria->underline : criteria->color) = value;
            } else {
                model().setFormat(range->start, range->end, change);
                doc->changed();
            }
            return S_OK;
        }
        if (criteria) {
            const std::optional<int>& v = style ? criteria->underline : criteria->color;
            return answer(result, v ? *v : word::wdUndefined);
        }
        const sim::Underline u = model().formatOf(range->start, range->end);
        return answer(result, style ? u.style : u.color);
    }

private:
    std::shared_ptr<Anchor> range;
    std::shared_ptr<FontCriteria> criteria;
};

FontCriteria fontValues(IDispatch* object)
{
    auto* font = dynamic_cast<SimFont*>(object);
    return font ? font->values() : FontCriteria();
}

class SimReplacement : public DocObject<>
{
public:
    SimReplacement(std::shared_ptr<WordDoc> doc, std::shared_ptr<FontCriteria> criteria)
        : DocObject(std::move(doc)), criteria(std::move(criteria))
    {
    }

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {
            {word::Replacement::Font, u"Font", Get | Put, 0, 0},
            {word::Replacement::ClearFormatting, u"ClearFormatting", Method, 0, 0},
        };
        return table;
    }
    WordObject kind() const override { return WordObject::Replacement; }

    HRESULT call(DISPID id, bool put, const Args& args, VARIANT* result) override
    {
        if (id == word::Replacement::ClearFormatting) {
            *criteria = FontCriteria();
            return S_OK;
        }
        if (put) {
            *criteria = fontValues(toDispatch(args.value));
            return S_OK;
        }
        return answerObject(result, new SimFont(doc, criteria));
    }

private:
    std::shared_ptr<FontCriteria> criteria;
};

class SimFind : public DocObject<>
{
public:
    SimFind(std::shared_ptr<WordDoc> doc, std::shared_ptr<Anchor> range)
        : DocObject(std::move(doc)), range(std::move(range)), settings(this->doc->find)
    {
    }

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {
            {word::Find::Forward, u"Forward", Get | Put, 0, 0},
            {word::Find::Font, u"Font", Get | Put, 0, 0},
            {word::Find::Found, u"Found", Get, 0, 0},
            {word::Find::MatchCase, u"MatchCase", Get | Put, 0, 0},
            {word::Find::Text, u"Text", Get | Put, 0, 0},
            {word::Find::Replacement, u"Replacement", Get, 0, 0},
            {word::Find::Wrap, u"Wrap", Get | Put, 0, 0},
            {word::Find::ClearFormatting, u"ClearFormatting", Method, 0, 0},
            {word::Find::ClearAllFuzzyOptions, u"ClearAllFuzzyOptions", Method, 0, 0},
            {word::Find::Execute, u"Execute", Method, 0, word::ExecuteArgument::Count},
            {word::Find::ClearHitHighlight, u"ClearHitHighlight", Method, 0, 0},
        };
        return table;
    }
    WordObject kind() const override { return WordObject::Find; }

    HRESULT call(DISPID id, bool put, const Args& args, VARIANT* result) override
    {
        switch (id) {
        case word::Find::Forward:
            return put ? toBool(args.value, forward) : answerBool(result, forward);
        case word::Find::MatchCase:
            return put ? toBool(args.value, matchCase) : answerBool(result, matchCase);
        case word::Find::Text:
            return put ? toText(args.value, text) : answerText(result, text);
        case word::Find::Wrap:
            return put ? toLong(args.value, wrap) : answer(result, wrap);
        case word::Find::Found:
            return answerBool(result, found);
        case word::Find::Font:
            if (put) {
                *criteria = fontValues(toDispatch(args.value));
                return S_OK;
            }
            return answerObject(result, new SimFont(doc, criteria));
        case word::Find::Replacement:
            return answerObject(result, new SimReplacement(doc, replacement));
        case word::Find::ClearFormatting:
            *criteria = FontCriteria();
            return S_OK;
        case word::Find::Execute:
            return execute(args, result);
        default:
            return S_OK;                  // the clearing calls have nothing to clear here
        }
    }

private:
    HRESULT execute(const Args& args, VARIANT* result)
    {
        namespace A = word::ExecuteArgument;
        std::u16string needle = text;
        bool caseMatters = matchCase;
        bool ahead = forward;
        LONG wrapping = wrap;
        bool format = criteria->any();
        std::u16string replaceWith;
        LONG replace = word::wdReplaceNone;
        HRESULT hr = S_OK;
        if (args.given(A::FindText))
            hr = toText(args.list[A::FindText], needle);
        if (SUCCEEDED(hr) && args.given(A::MatchCase))
            hr = toBool(args.list[A::MatchCase], caseMatters);
        if (SUCCEEDED(hr) && args.given(A::Forward))
            hr = toBool(args.list[A::Forward], ahead);
        if (SUCCEEDED(hr) && args.given(A::Wrap))
            hr = toLong(args.list[A::Wrap], wrapping);
        if (SUCCEEDED(hr) && args.given(A::Format))
            hr = toBool(args.list[A::Format], format);
        if (SUCCEEDED(hr) && args.given(A::ReplaceWith))
            hr = toText(args.list[A::ReplaceWith], replaceWith);
        if (SUCCEEDED(hr) && args.given(A::Replace))
            hr = toLong(args.list[A::Replace], replace);
        if (FAILED(hr))
            return hr;
        // What a search is told stays for the next one, as a Find dialog would show it.
        text = needle;
        matchCase = caseMatters;
        forward = ahead;
        wrap = wrapping;
        const FontCriteria wanted = format ? *criteria : FontCriteria();
        WordDocModel& m = model();
        found = false;
        if (replace == word::wdReplaceAll) {
            std::vector<std::pair<int, int>> matches;
            for (int from = range->start;;) {
                const auto match = m.findForward(needle, from, range->end, caseMatters, wanted, false);
                if (match.first < 0 || match.second <= match.first)
                    break;
                matches.push_back(match);
                from = match.second;
            }
            for (auto it = matches.rbegin(); it != matches.rend(); ++it)
                replaceMatch(it->first, it->second, replaceWith);
            found = !matches.empty();
            if (found)
                doc->changed();
            return answerBool(result, found);
        }
        std::pair<int, int> match;
        if (ahead) {
            match = m.findForward(needle, range->end, m.length(), caseMatters, wanted, true);
            if (match.first < 0 && wrapping == word::wdFindContinue)
                match = m.findForward(needle, 0, m.length(), caseMatters, wanted, true);
        } else {
            match = m.findBackward(needle, 0, range->start, caseMatters, wanted, true);
            if (match.first < 0 && wrapping == word::wdFindContinue)
                match = m.findBackward(needle, 0, m.length(), caseMatters, wanted, true);
        }
        found = match.first >= 0;
        if (found) {
            range->start = match.first;
            range->end = match.second;
            if (replace == word::wdReplaceOne) {
                const int end = replaceMatch(match.first, match.second, replaceWith);
                range->start = end - static_cast<int>(replaceWith.size());
                range->end = end;
                doc->changed();
            }
        }
        return answerBool(result, found);
    }

    // Text given (or no replacement formatting): the text is replaced; otherwise only formatted.
    int replaceMatch(int start, int end, const std::u16string& with)
    {
        WordDocModel& m = model();
        if (with.empty() && replacement->any()) {
            m.setFormat(start, end, *replacement);
            return end;
        }
        const int newEnd = m.replace(start, end, with, m.formatAt(start));
        m.setFormat(newEnd - static_cast<int>(with.size()), newEnd, *replacement);
        return newEnd;
    }

    std::shared_ptr<Anchor> range;
    FindSettings& settings;
    std::shared_ptr<FontCriteria> criteria = settings.criteria;
    std::shared_ptr<FontCriteria> replacement = settings.replacement;
    std::u16string& text = settings.text;
    bool& forward = settings.forward;
    bool& matchCase = settings.matchCase;
    LONG& wrap = settings.wrap;
    bool found = false;
};

class SimParagraph : public DocObject<>
{
public:
    SimParagraph(std::shared_ptr<WordDoc> doc, std::shared_ptr<Anchor> range) : DocObject(std::move(doc)), range(std::move(range)) {}

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {{word::Paragraph::Range, u"Range", Get, 0, 0}};
        return table;
    }
    WordObject kind() const override { return WordObject::Paragraph; }
    HRESULT call(DISPID, bool, const Args&, VARIANT* result) override
    {
        return answerObject(result, newWordRange(doc, range->start, range->end));
    }

private:
    std::shared_ptr<Anchor> range;
};

class SimParagraphs : public DocObject<>
{
public:
    SimParagraphs(std::shared_ptr<WordDoc> doc, std::shared_ptr<Anchor> range) : DocObject(std::move(doc)), range(std::move(range)) {}

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {
            {word::Paragraphs::Item, u"Item", Get | Method, 1, 0},
            {word::Paragraphs::Count, u"Count", Get, 0, 0},
        };
        return table;
    }
    WordObject kind() const override { return WordObject::Paragraphs; }
    HRESULT call(DISPID id, bool, const Args& args, VARIANT* result) override
    {
        const auto all = model().paragraphsIn(range->start, range->end);
        if (id == word::Paragraphs::Count)
            return answer(result, static_cast<LONG>(all.size()));
        LONG index = 0;
        if (HRESULT hr = toLong(args.list[0], index); FAILED(hr))
            return hr;
        if (index < 1 || index > static_cast<LONG>(all.size()))
            return E_INVALIDARG;
        const auto& p = all[static_cast<size_t>(index - 1)];
        return answerObject(result, new SimParagraph(doc, model().anchor(p.first, p.second)));
    }

private:
    std::shared_ptr<Anchor> range;
};

QString escaped(const std::u16string& text)
{
    return QString::fromStdU16String(text).toHtmlEscaped();
}

class SimRange : public DocObject<>
{
public:
    SimRange(std::shared_ptr<WordDoc> doc, std::shared_ptr<Anchor> anchor) : DocObject(std::move(doc)), anchor(std::move(anchor)) {}

    const std::shared_ptr<WordDoc>& document() const { return doc; }
    Anchor position() const { return *anchor; }

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {
            {word::Range::Text, u"Text", Get | Put, 0, 0},
            {word::Range::Start, u"Start", Get | Put, 0, 0},
            {word::Range::End, u"End", Get | Put, 0, 0},
            {word::Range::Font, u"Font", Get | Put, 0, 0},
            {word::Range::Paragraphs, u"Paragraphs", Get, 0, 0},
            {word::Range::SetRange, u"SetRange", Method, 2, 0},
            {word::Range::Next, u"Next", Method, 0, 2},
            {word::Range::Previous, u"Previous", Method, 0, 2},
            {word::Range::Copy, u"Copy", Method, 0, 0},
            {word::Range::InRange, u"InRange", Method, 1, 0},
            {word::Range::Expand, u"Expand", Method, 0, 1},
            {word::Range::GoTo, u"GoTo", Method, 0, 4},
            {word::Range::Find, u"Find", Get, 0, 0},
            {word::Range::Select, u"Select", Method, 0, 0},
        };
        return table;
    }
    WordObject kind() const override { return WordObject::Range; }

    HRESULT call(DISPID id, bool put, const Args& args, VARIANT* result) override
    {
        WordDocModel& m = model();
        Anchor& a = *anchor;
        switch (id) {
        case word::Range::Text:
            if (put)
                return writeText(args.value);
            return answerText(result, m.text().substr(static_cast<size_t>(a.start), static_cast<size_t>(a.end - a.start)));
        case word::Range::Start:
        case word::Range::End:
            if (put) {
                LONG value = 0;
                if (HRESULT hr = toLong(args.value, value); FAILED(hr))
                    return hr;
                value = m.clamp(value);
                if (id == word::Range::Start) {
                    a.start = value;
                    a.end = std::max(a.end, value);
                } else {
                    a.end = value;
                    a.start = std::min(a.start, value);
                }
                return S_OK;
            }
            return answer(result, id == word::Range::Start ? a.start : a.end);
        case word::Range::Font:
            if (put) {
                m.setFormat(a.start, a.end, fontValues(toDispatch(args.value)));
                doc->changed();
                return S_OK;
            }
            return answerObject(result, new SimFont(doc, anchor));
        case word::Range::Paragraphs:
            return answerObject(result, new SimParagraphs(doc, anchor));
        case word::Range::SetRange: {
            LONG start = 0;
            LONG end = 0;
            if (FAILED(toLong(args.list[0], start)) || FAILED(toLong(args.list[1], end)))
                return DISP_E_TYPEMISMATCH;
            a.start = m.clamp(std::min(start, end));
            a.end = m.clamp(std::max(start, end));
            return S_OK;
        }
        case word::Range::Next:
        case word::Range::Previous:
            return neighbour(id == word::Range::Next, args, result);
        case word::Range::Copy:
            return copy();
        case word::Range::InRange: {
            SimRange* other = rangeOf(toDispatch(args.list[0]));
            if (!other)
                return DISP_E_TYPEMISMATCH;
            const Anchor o = other->position();
            return answerBool(result, other->document() == doc && o.start <= a.start && a.end <= o.end);
        }
        case word::Range::Expand:
            return expand(args, result);
        case word::Range::GoTo:
            return goTo(args, result);
        case word::Range::Find:
            return answerObject(result, new SimFind(doc, anchor));
        case word::Range::Select:
            m.selection() = a;
            doc->changed();
            raiseSelectionChange(doc);
            return S_OK;
        default:
            return DISP_E_MEMBERNOTFOUND;
        }
    }

private:
    HRESULT writeText(const VARIANT* value)
    {
        std::u16string text;
        if (HRESULT hr = toText(value, text); FAILED(hr))
            return hr;
        WordDocModel& m = model();
        Anchor& a = *anchor;
        const sim::Underline format = a.end > a.start || a.start == 0 ? m.formatAt(a.start) : m.formatAt(a.start - 1);
        const int end = m.replace(a.start, a.end, text, format);
        a.start = end - static_cast<int>(text.size());
        a.end = end;
        doc->changed();
        return S_OK;
    }

    HRESULT neighbour(bool next, const Args& args, VARIANT* result)
    {
        LONG unit = word::wdCharacter;
        LONG count = 1;
        if ((args.given(0) && FAILED(toLong(args.list[0], unit))) || (args.given(1) && FAILED(toLong(args.list[1], count))))
            return DISP_E_TYPEMISMATCH;
        if (unit != word::wdCharacter || count < 1)
            return E_INVALIDARG;
        const WordDocModel& m = model();
        const Anchor& a = *anchor;
        if (next) {
            int pos = a.start == a.end ? a.start + m.unitAfter(a.start) : a.end;
            for (LONG i = 1; i < count; ++i)
                pos += m.unitAfter(pos);
            const int size = m.unitAfter(pos);
            return answerObject(result, size ? newWordRange(doc, pos, pos + size) : nullptr);
        }
        int pos = a.start;
        for (LONG i = 1; i < count; ++i)
            pos -= m.unitBefore(pos);
        const int size = m.unitBefore(pos);
        return answerObject(result, size ? newWordRange(doc, pos - size, pos) : nullptr);
    }

    HRESULT expand(const Args& args, VARIANT* result)
    {
        LONG unit = word::wdCharacter;
        if (args.given(0) && FAILED(toLong(args.list[0], unit)))
            return DISP_E_TYPEMISMATCH;
        const WordDocModel& m = model();
        Anchor& a = *anchor;
        const int before = a.end - a.start;
        const int last = std::max(a.start, a.end - 1);
        switch (unit) {
        case word::wdCharacter:
            if (a.start == a.end)
                a.end += m.unitAfter(a.start);
            break;
        case word::wdSentence:
            a.end = m.sentenceAt(last).second;
            a.start = m.sentenceAt(a.start).first;
            break;
        case word::wdParagraph:
            a.end = m.paragraphAt(last).second;
            a.start = m.paragraphAt(a.start).first;
            break;
        case word::wdStory:
            a.start = 0;
            a.end = m.length();
            break;
        default:
            return E_INVALIDARG;
        }
        return answer(result, a.end - a.start - before);
    }

    HRESULT goTo(const Args& args, VARIANT* result)
    {
        LONG what = word::wdGoToPage;
        LONG which = word::wdGoToAbsolute;
        LONG count = 1;
        if ((args.given(0) && FAILED(toLong(args.list[0], what))) || (args.given(1) && FAILED(toLong(args.list[1], which)))
            || (args.given(2) && FAILED(toLong(args.list[2], count))))
            return DISP_E_TYPEMISMATCH;
        const WordDocModel& m = model();
        const bool page = what == word::wdGoToPage;
        if (!page && what != word::wdGoToLine)
            return E_INVALIDARG;
        const int total = page ? m.pageCount() : m.paragraphCount();
        const int current = page ? m.pageOf(anchor->start) : m.paragraphIndex(anchor->start) + 1;
        int target = 0;
        switch (which) {
        case word::wdGoToAbsolute:
            target = count;
            break;
        case word::wdGoToLast:
            target = total;
            break;
        case word::wdGoToNext:
            target = current + count;
            break;
        case word::wdGoToPrevious:
            target = current - count;
            break;
        default:
            return E_INVALIDARG;
        }
        target = std::clamp(target, 1, total);
        const int start = page ? m.pageStart(target) : m.paragraphByIndex(target - 1).first;
        return answerObject(result, newWordRange(doc, start, start));
    }

    HRESULT copy()
    {
        const WordDocModel& m = model();
        const Anchor& a = *anchor;
        QString html = QStringLiteral("<html><body>");
        QString plainText;
        for (const auto& p : m.paragraphsIn(a.start, a.end)) {
            const int s = std::max(p.first, a.start);
            const int e = std::min(p.second, a.end);
            if (e <= s)
                continue;
            std::u16string part = m.text().substr(static_cast<size_t>(s), static_cast<size_t>(e - s));
            const bool ends = !part.empty() && part.back() == u'\r';
            if (ends)
                part.pop_back();
            html += QStringLiteral("<p>") + escaped(part) + QStringLiteral("</p>");
            plainText += QString::fromStdU16String(part) + (ends ? QStringLiteral("\r\n") : QString());
        }
        html += QStringLiteral("</body></html>");
        auto app = application();
        const bool withHtml = app && app->setup.copyHtml;
        wordRegistry().copied = {withHtml ? html : QString(), plainText};
        if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
            auto* mime = new QMimeData;
            if (withHtml)
                mime->setHtml(html);
            mime->setText(plainText);
            QGuiApplication::clipboard()->setMimeData(mime);
        }
        return S_OK;
    }

    std::shared_ptr<Anchor> anchor;
};

SimRange* rangeOf(IDispatch* object)
{
    return dynamic_cast<SimRange*>(object);
}

class SimSelection : public DocObject<>
{
public:
    using DocObject::DocObject;

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {
            {word::Selection::Range, u"Range", Get, 0, 0},
            {word::Selection::Information, u"Information", Get, 1, 0},
            {word::Selection::Document, u"Document", Get, 0, 0},
        };
        return table;
    }
    WordObject kind() const override { return WordObject::Selection; }
    HRESULT call(DISPID id, bool, const Args& args, VARIANT* result) override
    {
        const Anchor& s = model().selection();
        switch (id) {
        case word::Selection::Range:
            return answerObject(result, newWordRange(doc, s.start, s.end));
        case word::Selection::Document:
            return answerObject(result, newWordDocument(doc));
        default: {
            LONG type = 0;
            if (HRESULT hr = toLong(args.list[0], type); FAILED(hr))
                return hr;
            if (type != word::wdActiveEndPageNumber)
                return E_INVALIDARG;
            return answer(result, model().pageOf(s.end));
        }
        }
    }
};

class SimDocument : public DocObject<>
{
public:
    using DocObject::DocObject;

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {
            {word::Document::FullName, u"FullName", Get, 0, 0},
            {word::Document::Content, u"Content", Get, 0, 0},
            {word::Document::ActiveWindow, u"ActiveWindow", Get, 0, 0},
            {word::Document::Range, u"Range", Method, 0, 2},
        };
        return table;
    }
    WordObject kind() const override { return WordObject::Document; }
    HRESULT call(DISPID id, bool, const Args& args, VARIANT* result) override
    {
        switch (id) {
        case word::Document::FullName:
            return answerText(result, doc->fullName);
        case word::Document::Content:
            return answerObject(result, newWordRange(doc, 0, model().length()));
        case word::Document::ActiveWindow:
            return answerObject(result, newWordWindow(doc));
        default: {
            LONG start = 0;
            LONG end = model().length();
            if ((args.given(0) && FAILED(toLong(args.list[0], start))) || (args.given(1) && FAILED(toLong(args.list[1], end))))
                return DISP_E_TYPEMISMATCH;
            if (!args.given(1) && args.given(0))
                end = start;
            return answerObject(result, newWordRange(doc, start, end));
        }
        }
    }
};

class SimWindow : public DocObject<>
{
public:
    using DocObject::DocObject;

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {
            {word::Window::Application, u"Application", Get, 0, 0},
            {word::Window::GetPoint, u"GetPoint", Method, 5, 0},
            {word::Window::Selection, u"Selection", Get, 0, 0},
            {word::Window::Hwnd, u"Hwnd", Get, 0, 0},
        };
        return table;
    }
    WordObject kind() const override { return WordObject::Window; }
    HRESULT call(DISPID id, bool, const Args& args, VARIANT* result) override
    {
        if (id == word::Window::Application)
            return answerObject(result, newWordApplication(application()));
        if (id == word::Window::Selection)
            return answerObject(result, newWordSelection(doc));
        if (id == word::Window::Hwnd)
            return answer(result, static_cast<LONG>(reinterpret_cast<intptr_t>(doc->pane)));
        LONG* out[4];
        for (size_t i = 0; i < 4; ++i) {
            const VARIANT& v = plain(*args.list[i]);
            if (v.vt != (VT_BYREF | VT_I4) || !v.plVal)
                return DISP_E_TYPEMISMATCH;
            out[i] = v.plVal;
        }
        SimRange* range = rangeOf(toDispatch(args.list[4]));
        if (!range)
            return DISP_E_TYPEMISMATCH;
        const Anchor a = range->position();
        const std::shared_ptr<WordDoc>& owner = range->document();
        const RECT r = owner->geometry ? owner->geometry(a.start, a.end) : gridRect(*owner, a.start, a.end);
        *out[0] = r.left;
        *out[1] = r.top;
        *out[2] = r.right - r.left;
        *out[3] = r.bottom - r.top;
        return S_OK;
    }

private:
    static RECT gridRect(const WordDoc& owner, int start, int end)
    {
        RECT pane;
        GetWindowRect(owner.pane, &pane);
        const WordDocModel& m = owner.model;
        const int first = m.paragraphIndex(start);
        const int last = m.paragraphIndex(std::max(start, end - 1));
        RECT r;
        r.top = pane.top + 8 + 24 * first;
        r.bottom = pane.top + 8 + 24 * (last + 1);
        if (first == last) {
            const int lineStart = m.paragraphAt(start).first;
            r.left = pane.left + 8 + 16 * (start - lineStart);
            r.right = pane.left + 8 + 16 * (std::max(end, start + 1) - lineStart);
        } else {
            r.left = pane.left + 8;
            r.right = pane.right - 8;
        }
        return r;
    }
};

// The windows of an application's open documents, from 1.
class SimWindows : public WordObjectBase<>
{
public:
    explicit SimWindows(std::shared_ptr<WordApp> app) : app(std::move(app)) {}

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {
            {word::Windows::Item, u"Item", Get | Method, 1, 0},
            {word::Windows::Count, u"Count", Get, 0, 0},
        };
        return table;
    }
    WordObject kind() const override { return WordObject::Windows; }
    std::shared_ptr<WordApp> application() const override { return app; }
    bool connected() const override { return app->running; }
    HRESULT call(DISPID id, bool, const Args& args, VARIANT* result) override
    {
        const auto& docs = app->documents;
        if (id == word::Windows::Count)
            return answer(result, static_cast<LONG>(docs.size()));
        LONG index = 0;
        if (HRESULT hr = toLong(args.list[0], index); FAILED(hr))
            return hr;
        if (index < 1 || index > static_cast<LONG>(docs.size()))
            return E_INVALIDARG;
        return answerObject(result, newWordWindow(docs[static_cast<size_t>(index - 1)]));
    }

private:
    std::shared_ptr<WordApp> app;
};

class SimConnectionPoint : public WordObjectBase<IConnectionPoint>
{
public:
    explicit SimConnectionPoint(std::shared_ptr<WordApp> app) : app(std::move(app)) {}

    HRESULT Advise(IUnknown* sink, DWORD* cookie) override
    {
        if (!sink || !cookie)
            return E_POINTER;
        *cookie = 0;
        if (HRESULT hr = wordEnter(app.get(), app->running, WordObject::ConnectionPoint, sim::wordAdvise); FAILED(hr))
            return hr;
        void* events = nullptr;
        if (FAILED(sink->QueryInterface(IID_ApplicationEvents2, &events))
            && FAILED(sink->QueryInterface(IID_IDispatch, &events)))
            return CONNECT_E_CANNOTCONNECT;
        if (!app->poster)
            app->poster = new QObject;
        *cookie = app->nextCookie++;
        app->sinks.push_back({*cookie, static_cast<IDispatch*>(events)});
        return S_OK;
    }

    HRESULT Unadvise(DWORD cookie) override
    {
        if (HRESULT hr = wordEnter(app.get(), app->running, WordObject::ConnectionPoint, sim::wordUnadvise); FAILED(hr))
            return hr;
        for (auto it = app->sinks.begin(); it != app->sinks.end(); ++it) {
            if (it->cookie == cookie) {
                IDispatch* sink = it->sink;
                app->sinks.erase(it);
                sink->Release();
                return S_OK;
            }
        }
        return CONNECT_E_NOCONNECTION;
    }

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table;
        return table;
    }
    WordObject kind() const override { return WordObject::ConnectionPoint; }
    std::shared_ptr<WordApp> application() const override { return app; }
    bool connected() const override { return app->running; }
    HRESULT call(DISPID, bool, const Args&, VARIANT*) override { return DISP_E_MEMBERNOTFOUND; }

private:
    std::shared_ptr<WordApp> app;
};

class SimApplication : public WordObjectBase<IConnectionPointContainer>
{
public:
    explicit SimApplication(std::shared_ptr<WordApp> app) : app(std::move(app)) {}

    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override
    {
        if (!point)
            return E_POINTER;
        *point = nullptr;
        if (HRESULT hr = wordEnter(app.get(), app->running, WordObject::ConnectionPoint, sim::wordFindConnectionPoint); FAILED(hr))
            return hr;
        if (iid != IID_ApplicationEvents && iid != IID_ApplicationEvents2 && iid != IID_ApplicationEvents3
            && iid != IID_ApplicationEvents4)
            return CONNECT_E_NOCONNECTION;
        *point = new SimConnectionPoint(app);
        return S_OK;
    }

protected:
    const std::vector<Member>& members() const override
    {
        static const std::vector<Member> table = {
            {word::Application::ActiveDocument, u"ActiveDocument", Get, 0, 0},
            {word::Application::ActiveWindow, u"ActiveWindow", Get, 0, 0},
            {word::Application::Selection, u"Selection", Get, 0, 0},
            {word::Application::Version, u"Version", Get, 0, 0},
            {word::Application::Windows, u"Windows", Get, 0, 0},
        };
        return table;
    }
    WordObject kind() const override { return WordObject::Application; }
    std::shared_ptr<WordApp> application() const override { return app; }
    bool connected() const override { return app->running; }
    HRESULT call(DISPID id, bool, const Args&, VARIANT* result) override
    {
        if (id == word::Application::Version)
            return answerText(result, app->setup.version);
        if (id == word::Application::Windows)
            return answerObject(result, new SimWindows(app));
        // Without an open document these members are not available, as in the real program.
        if (!app->active)
            return E_FAIL;
        switch (id) {
        case word::Application::ActiveDocument:
            return answerObject(result, newWordDocument(app->active));
        case word::Application::ActiveWindow:
            return answerObject(result, newWordWindow(app->active));
        default:
            return answerObject(result, newWordSelection(app->active));
        }
    }

private:
    std::shared_ptr<WordApp> app;
};

} // namespace

IDispatch* newWordApplication(const std::shared_ptr<WordApp>& app)
{
    return app ? new SimApplication(app) : nullptr;
}

IDispatch* newWordWindow(const std::shared_ptr<WordDoc>& doc)
{
    return new SimWindow(doc);
}

IDispatch* newWordDocument(const std::shared_ptr<WordDoc>& doc)
{
    return new SimDocument(doc);
}

IDispatch* newWordSelection(const std::shared_ptr<WordDoc>& doc)
{
    return new SimSelection(doc);
}

IDispatch* newWordRange(const std::shared_ptr<WordDoc>& doc, int start, int end)
{
    return new SimRange(doc, doc->model.anchor(start, end));
}

} // namespace sim_detail
