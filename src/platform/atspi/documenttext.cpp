#include "documenttext.h"

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

// Appends the texts below node in document order; false when the bus fails on the way.
bool collect(AtspiAccessible* node, int depth, QStringList& paragraphs)
{
    GError* error = nullptr;
    const gint count = atspi_accessible_get_child_count(node, &error);
    if (error) {
        g_error_free(error);
        return false;
    }
    for (gint i = 0; i < count && paragraphs.size() < maxParagraphs; ++i) {
        const BusRef child = BusRef::adopt(atspi_accessible_get_child_at_index(node, i, nullptr));
        if (!child)
            return false;
        AtspiText* text = atspi_accessible_get_text_iface(child.get());
        if (!text) {
            if (depth < maxNesting && !collect(child.get(), depth + 1, paragraphs))
                return false;
            continue;
        }
        gchar* utf8 = atspi_text_get_text(text, 0, -1, &error);
        g_object_unref(text);
        if (error) {
            g_error_free(error);
            g_free(utf8);
            return false;
        }
        paragraphs.append(QString::fromUtf8(utf8 ? utf8 : ""));
        g_free(utf8);
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
    BusRef parent = BusRef::adopt(atspi_accessible_get_parent(accessible, nullptr));
    return isParagraphDocument(parent.get()) ? parent : BusRef(accessible);
}

bool readDocumentText(AtspiAccessible* document, QString& text)
{
    QStringList paragraphs;
    if (!collect(document, 0, paragraphs))
        return false;
    text = paragraphs.join(QLatin1Char('\n'));
    return true;
}

bool documentHoldsFocus(AtspiAccessible* document)
{
    const gint count = atspi_accessible_get_child_count(document, nullptr);
    for (gint i = 0; i < count && i < maxParagraphs; ++i) {
        const BusRef child = BusRef::adopt(atspi_accessible_get_child_at_index(document, i, nullptr));
        if (child && hasStates(child.get(), {ATSPI_STATE_FOCUSED}))
            return true;
    }
    return false;
}

} // namespace atspi_detail
