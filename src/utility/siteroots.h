#pragma once

// The service's web-site addresses, kept in one place. Internal to utility (not exported).

#include <string>

namespace siteroots {

// The https root ("…/") of site 0 to 3; any other index is site 0. KORRELO_SERVICE_ROOTS (one
// root, or four separated by commas) replaces the built-in roots while it is set.
std::string root(int site);

// The http address of the web site's home page, quoted in user-facing messages.
std::string webSiteAddress();

} // namespace siteroots
