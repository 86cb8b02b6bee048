#pragma once

// The one locale of utility's wide character classes and case mapping. Internal (not exported).

#include <locale.h>

// A fixed UTF-8 locale, so results depend neither on LANG nor on what a host program did to the
// global locale; "C" only where no UTF-8 locale exists.
locale_t textLocale();
