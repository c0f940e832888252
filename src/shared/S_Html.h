#pragma once
#include <string>

// Named entities only; numeric references are left alone.
std::string DecodeHtmlEntities(const std::string& s, bool nbspToBlank);
