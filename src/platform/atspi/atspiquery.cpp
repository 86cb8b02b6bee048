#include "atspiquery.h"

#include <atspi/atspi.h>

#include <QString>

#include "../accessible.h"
#include "atspidesktop.h"
#include "documenttext.h"

namespace atspi_detail {
namespace {

bool hasState(AtspiStateSet* states, AtspiStateType state)
{
    return states && atspi_state_set_contains(states, state);
}

// Interface objects of libatspi are the accessible itself with one more reference.
template <class Interface>
bool hasInterface(Interface* object)
{
    if (!object)
        return false;
    g_object_unref(object);
    return true;
}

} // namespace

AtspiRole roleOf(AtspiAccessible* accessible)
{
    GError* error = nullptr;
    const AtspiRole role = atspi_accessible_get_role(accessible, &error);
    if (error) {
        g_error_free(error);
        return ATSPI_ROLE_INVALID;
    }
    return role;
}

bool isPassword(AtspiAccessible* accessible)
{
    const AtspiRole role = roleOf(accessible);
    // Unknown is treated as the unsafe case.
    if (role == ATSPI_ROLE_PASSWORD_TEXT || role == ATSPI_ROLE_INVALID)
        return true;
    // Browsers mark their password inputs through an attribute rather than the role.
    GHashTable* attributes = atspi_accessible_get_attributes(accessible, nullptr);
    if (!attributes)
        return false;
    const auto* inputType = static_cast<const char*>(g_hash_table_lookup(attributes, "text-input-type"));
    const bool password = inputType && g_ascii_strcasecmp(inputType, "password") == 0;
    g_hash_table_unref(attributes);
    return password;
}

bool isEditableText(AtspiAccessible* accessible)
{
    if (!accessible)
        return false;
    // Asked first: even the interface list is a call to the program, and ours may not answer now.
    AtspiDesktop* desktop = AtspiDesktop::instance();
    if (desktop && desktop->isOwn(accessible))
        return false;
    const bool text = hasInterface(atspi_accessible_get_text_iface(accessible));
    if (!text && !isParagraphDocument(accessible))
        return false;
    if (!text)
        return true;
    AtspiStateSet* states = atspi_accessible_get_state_set(accessible);
    const bool editable = hasState(states, ATSPI_STATE_EDITABLE) && !hasState(states, ATSPI_STATE_DEFUNCT);
    if (states)
        g_object_unref(states);
    return editable && !isPassword(accessible);
}

bool readText(AtspiAccessible* accessible, QString& text, bool attributesChecked)
{
    if (!accessible || (attributesChecked ? roleOf(accessible) == ATSPI_ROLE_PASSWORD_TEXT : isPassword(accessible)))
        return false;
    AtspiText* textIface = atspi_accessible_get_text_iface(accessible);
    if (!textIface)
        return isParagraphDocument(accessible) && readDocumentText(accessible, text);
    GError* error = nullptr;
    // An end of -1 is the end of the text for GTK and Qt alike, which saves asking the length first.
    gchar* utf8 = atspi_text_get_text(textIface, 0, -1, &error);
    g_object_unref(textIface);
    if (error) {
        g_error_free(error);
        g_free(utf8);
        return false;
    }
    text = QString::fromUtf8(utf8 ? utf8 : "");
    g_free(utf8);
    return true;
}

bool holdsFocus(AtspiAccessible* accessible)
{
    if (!accessible)
        return false;
    AtspiStateSet* states = atspi_accessible_get_state_set(accessible);
    const bool focused = hasState(states, ATSPI_STATE_FOCUSED) && !hasState(states, ATSPI_STATE_DEFUNCT);
    if (states)
        g_object_unref(states);
    return focused || (isParagraphDocument(accessible) && documentHoldsFocus(accessible));
}

std::optional<RECT> extents(AtspiAccessible* accessible)
{
    AtspiComponent* component = accessible ? atspi_accessible_get_component_iface(accessible) : nullptr;
    if (!component)
        return std::nullopt;
    GError* error = nullptr;
    AtspiRect* box = atspi_component_get_extents(component, ATSPI_COORD_TYPE_SCREEN, &error);
    g_object_unref(component);
    if (error || !box) {
        if (error)
            g_error_free(error);
        g_free(box);
        return std::nullopt;
    }
    RECT rect;
    rect.left = box->x;
    rect.top = box->y;
    rect.right = box->x + box->width;
    rect.bottom = box->y + box->height;
    g_free(box);
    return rect;
}

bool msaaRole(AtspiAccessible* accessible, LONG& role)
{
    const AtspiRole atspiRole = roleOf(accessible);
    if (atspiRole == ATSPI_ROLE_INVALID)
        return false;
    switch (atspiRole) {
    case ATSPI_ROLE_FRAME:
    case ATSPI_ROLE_WINDOW:
    case ATSPI_ROLE_DIALOG:
        role = ROLE_SYSTEM_WINDOW;
        return true;
    case ATSPI_ROLE_PUSH_BUTTON:
        role = ROLE_SYSTEM_PUSHBUTTON;
        return true;
    case ATSPI_ROLE_LABEL:
    case ATSPI_ROLE_STATIC:
        role = ROLE_SYSTEM_STATICTEXT;
        return true;
    case ATSPI_ROLE_DOCUMENT_FRAME:
    case ATSPI_ROLE_DOCUMENT_TEXT:
    case ATSPI_ROLE_DOCUMENT_WEB:
        role = isEditableText(accessible) ? ROLE_SYSTEM_TEXT : ROLE_SYSTEM_DOCUMENT;
        return true;
    default:
        break;
    }
    // A read-only text view reads like a label; a password field like a plain client area, so that
    // no tracker takes it.
    if (atspiRole == ATSPI_ROLE_PASSWORD_TEXT)
        role = ROLE_SYSTEM_CLIENT;
    else if (isEditableText(accessible))
        role = ROLE_SYSTEM_TEXT;
    else if (atspiRole == ATSPI_ROLE_TEXT || atspiRole == ATSPI_ROLE_ENTRY || atspiRole == ATSPI_ROLE_PARAGRAPH)
        role = ROLE_SYSTEM_STATICTEXT;
    else
        role = ROLE_SYSTEM_CLIENT;
    return true;
}

} // namespace atspi_detail
