// The proxy of the system's Internet settings, for the connection page.
#pragma once
#include <string>

// Splits a "ProxyServer" value at its first ":": server before it, the
// leading number after it as the port text; without ":" the whole value is
// the server and the port text is empty.
void SplitProxyValue(const std::string& value, std::string& server, std::string& portText);
// Reads "ProxyServer" of the current user's Internet settings and splits
// it; false (outputs untouched) when the key cannot be opened.
bool ReadSystemProxy(std::string& server, std::string& portText);
