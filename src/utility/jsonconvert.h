#pragma once

// Conversion between the checking service's JSON replies and the check-result model.

#include <memory>
#include <string>
#include <vector>

#include "checkdata.h"
#include "utility_export.h"

class ServerInfo;

// Appends the results of a check reply to items and reads its reply-level data into other.
// False for a reply that does not parse or is not an object (nothing is touched then), for a
// "check_data" that is not an array, and when nothing was found: no items and no error carried.
UTILITY_EXPORT bool JSONToCheckData(std::string& json, std::vector<std::shared_ptr<CheckData>>& items,
                                    _CHECK_OTHER_DATA_& other);
// Copies the fields a login or account reply carries into info; false (info untouched) when the
// reply does not parse or is not an object.
UTILITY_EXPORT bool JSONToServer(std::string& json, ServerInfo& info);
// Writes results as a reply of the same shape. Items below minLevel are left out; dedupe leaves out
// repeats (same words, level and types); without isVip every third item is withheld and counted.
UTILITY_EXPORT std::string ResultToJSON(std::vector<std::shared_ptr<CheckData>>& items, int minLevel, int version,
                                        bool dedupe, bool isVip);
// One finding per flagged text, types and suggestions (the earliest one wins and takes its equals'
// places behind its own), sorted by that text with equal texts in their first order, so findings from
// several pages of one check do not repeat while each place keeps the suggestions given for it.
UTILITY_EXPORT void CleanCheckData(std::vector<std::shared_ptr<CheckData>>& items);
