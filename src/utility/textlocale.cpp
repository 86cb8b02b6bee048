#include "textlocale.h"

locale_t textLocale()
{
    static const locale_t loc = [] {
        locale_t l = newlocale(LC_ALL_MASK, "C.UTF-8", static_cast<locale_t>(nullptr));
        if (!l)
            l = newlocale(LC_ALL_MASK, "C.utf8", static_cast<locale_t>(nullptr));
        if (!l)
            l = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
        return l;
    }();
    return loc;
}
