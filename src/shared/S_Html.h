#pragma once
#include <string>

// Decodes the HTML character references of a Shift-JIS text in one pass:
// the named entities of HTML 4 (and "&apos;") and numeric ones ("&#38;",
// "&#x26;"), each ended by ";". What a reference turns into is not read
// again, and an "&" that starts no reference stays. "&nbsp;" becomes a blank
// only with nbspToBlank, else it stays as written.
std::string DecodeHtmlEntities(const std::string& s, bool nbspToBlank);
