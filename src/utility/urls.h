#pragma once

// Builds the client's web addresses, so that no caller spells a path or a site root itself.

#include <string>

#include "utility_export.h"

// Fixed underlying type: callers may pass ids the table does not know (they give the site root).
enum _URL_ID : int
{
    URL_AUTH = 0,
    URL_LOGIN = 1,
    URL_REGISTER = 2,
    URL_USER = 3,
    URL_HOME = 4,
    URL_CHECK = 5,
    URL_REPORT_ERROR = 6,
    URL_ADD_TO_DICT = 7,
    URL_CONTACT = 8,
    URL_UPDATE = 9,
    URL_DICT = 10,
    URL_ERRORS = 11,
    URL_VIP = 13,
    URL_PASSWORD_RESET = 14,
    URL_APP_VIP = 15,
    URL_APP_USER = 16,
    URL_IS_DOMAIN_OK = 17,
    URL_TTS = 18,
};

// site: 1 ".cn", 2 ".net", 3 ".org", anything else ".com" (or the roots of KORRELO_SERVICE_ROOTS).
// query and pathPart are used as given: callers pass them ready for an address.
UTILITY_EXPORT std::string GetWebUrl(_URL_ID id, std::string query, std::string pathPart, int site);
