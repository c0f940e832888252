// The daily download of the default search address ("search.query" in the
// maker's update folder), at the first refresh of the day.
#pragma once
#include <string>

extern const char SearchTemplateFileName[];  // "search.query"

// The template a "search.query" body holds: its bytes of value 27 and above.
// Empty when that is not a web search address with a keyword placeholder,
// so an error page or an empty answer never becomes the search address.
std::string SearchTemplateFromBody(const std::string& body);

// Once a day (SearchDate): fetch the template into SearchQuery and store
// the Search section; a failed download still stores the day.
void UpdateSearchTemplate();
