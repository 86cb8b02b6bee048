#include "urls.h"

#include "siteroots.h"

std::string GetWebUrl(_URL_ID id, std::string query, std::string pathPart, int site)
{
    std::string url = siteroots::root(site);
    switch (id) {
    case URL_AUTH:
        return url + "api/v3/auth/";
    case URL_LOGIN:
        return url + "api/v3/auth/login/";
    case URL_DICT:
        return url + "dict/" + query + "/";
    case URL_ERRORS:
        return url + "errors/e-" + query;
    case URL_REGISTER: url += "register/"; break;
    case URL_USER: url += "user/"; break;
    case URL_HOME:
    case URL_CHECK: break;
    case URL_REPORT_ERROR: url += "api/v3/report-error/"; break;
    case URL_ADD_TO_DICT: url += "api/v3/add-to-dict/"; break;
    case URL_CONTACT: url += "contact/"; break;
    case URL_UPDATE: url += "krl/update/client/" + pathPart; break;
    case URL_VIP: url += "vip/"; break;
    case URL_PASSWORD_RESET: url += "password-reset/"; break;
    case URL_APP_VIP: url += "app/vip/" + pathPart; break;
    case URL_APP_USER: url += "app/user/" + pathPart; break;
    case URL_IS_DOMAIN_OK: url += "api/v3/is-domain-ok/"; break;
    case URL_TTS: url += "tts/"; break;
    default: break;   // unknown ids (12, negative, above 18) give the root
    }
    if (!query.empty())
        url += "?" + query;
    return url;
}
