// Start at log-on through the current user's Run key, and the small
// registry reads of the ticker.
#pragma once
#include <string>

extern const char RunKeyPath[];        // "Software\Microsoft\Windows\CurrentVersion\Run"
extern const char StartupValueName[];  // "Tessivar-Ticker ver.1.0"

// A string value under HKEY_CURRENT_USER; "" when the key or value is missing.
std::string ReadUserRegistryString(const std::string& keyPath, const std::string& name);

// mode 'W' writes the value (the program path in double quotes), 'D' deletes
// it, anything else only tests; then true when the value is there and not empty.
bool StartupRegistry(char mode);
bool StartupRegistered();
// "STARTUP" (case ignored) is the program's first or second parameter.
bool StartupParameterGiven();
bool RegisterStartup();
bool UnregisterStartup();
