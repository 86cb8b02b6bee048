#include "documenttext.h"

#include <functional>

#include <QStringList>

namespace atspi_detail {
namespace {

// Tables and frames inside a page hold paragraphs of their own; deeper than this is no page.
constexpr int maxNesting = 4;
// A page shows a few hundred paragraphs at most (the program offers only those on screen).
constexpr int maxParagraphs = 5000;

bool hasStates(AtspiAccessible* accessible, std::initializer_list<AtspiStateType> wanted)
{
    AtspiStateSet* states = atspi_accessible_get_state_set(accessible);
    if (!states)
        return false;
    bool all = !atspi_state_set_contains(states, ATSPI_STATE_DEFUNCT);
    for (AtspiStateType state : wanted)
        all = all && atspi_state_set_contains(states, state);
    g_object_unref(states);
    return all;
}

bool hasText(AtspiAccessible* accessible)
{
    AtspiText* text = atspi_accessible_get_text_iface(accessible);
    if (text)
        g_object_unref(text);
    return text != nullptr;
}

// Hands each object with text below node to visit, in document order, until visit says stop;
// false when the bus failed on the way or visit stopped.
using Visit = std::function<bool(AtspiAccessible* paragraph, AtspiText* text)>;
bool eachParagraph(AtspiAccessible* node, int depth, int& seen, const Visit& visit)
{
    GError* error = nullptr;
    const gint count = atspi_accessible_get_child_count(node, &error);
    if (error) {
        g_error_free(error);
        return false;
    }
    for (gint i = 0; i < count && seen < maxParagraphs; ++i) {
        const BusRef child = BusRef::adopt(atspi_accessible_get_child_at_index(node, i, nullptr));
        if (!child)
            return false;
        AtspiText* text = atspi_accessible_get_text_iface(child.get());
        if (!text) {
            if (depth < maxNesting && !eachParagraph(child.get(), depth + 1, seen, visit))
                return false;
            continue;
        }
        ++seen;
        const bool goOn = visit(child.get(), text);
        g_object_unref(text);
        if (!goOn)
            return false;
    }
    return true;
}

} // namespace

bool isParagraphDocument(AtspiAccessible* accessible)
{
    return accessible && atspi_accessible_get_role(accessible, nullptr) == ATSPI_ROLE_DOCUMENT_TEXT
           && !hasText(accessible)
           && hasStates(accessible, {ATSPI_STATE_EDITABLE, ATSPI_STATE_MANAGES_DESCENDANTS});
}

BusRef focusTarget(AtspiAccessible* accessible)
{
    if (!accessible || !hasText(accessible))
        return BusRef(accessible);
    // A paragraph in a table cell or a frame lies a few levels below the page.
    BusRef up = BusRef::adopt(atspi_accessible_get_parent(accessible, nullptr));
    for (int depth = 0; up && depth <= maxNesting; ++depth) {
        if (isParagraphDocument(up.get()))
            return up;
        up = BusRef::adopt(atspi_accessible_get_parent(up.get(), nullptr));
    }
    return BusRef(accessible);
}

bool readDocumentText(AtspiAccessible* document, QString& text)
{
    QStringList paragraphs;
    int seen = 0;
    const bool read = eachParagraph(document, 0, seen, [&paragraphs](AtspiAccessible*, AtspiText* paragraph) {
        GError* error = nullptr;
        gchar* utf8 = atspi_text_get_text(paragraph, 0, -1, &error);
        if (error) {
            g_error_free(error);
            g_free(utf8);
            return false;
        }
        paragraphs.append(QString::fromUtf8(utf8 ? utf8 : ""));
        g_free(utf8);
        return true;
    });
    if (!read)
        return false;
    text = paragraphs.join(QLatin1Char('\n'));
    return true;
}

bool documentHoldsFocus(AtspiAccessible* document)
{
    bool found = false;
    int seen = 0;
    eachParagraph(document, 0, seen, [&found](AtspiAccessible* paragraph, AtspiText*) {
        found = hasStates(paragraph, {ATSPI_STATE_FOCUSED});
        return !found;
    });
    return found;
}

} // namespace atspi_detail
