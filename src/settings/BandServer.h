// Registration of the taskbar-band server with the system's regsvr32.
#pragma once
#include <string>

// How long the dialog waits for regsvr32 before it counts as failed.
constexpr unsigned Regsvr32TimeoutMs = 60000;

// The parameter text: "/s" [ "/u" ] and the quoted path.
std::string Regsvr32Parameters(const std::string& serverPath, bool unregister);
// Starts regsvr32 through the shell and waits for it, serving the message
// queue; true only when the server file exists and regsvr32 ended with 0.
bool RunRegsvr32(const std::string& serverPath, bool unregister,
                 unsigned timeoutMs = Regsvr32TimeoutMs);
// RunRegsvr32 is waiting: the dialog refuses to close meanwhile.
bool RegistrationRunning();
// The registration page's two buttons: registers (or unregisters) the band
// server in the program folder and says how it went. Asked for while
// another one waits, it beeps and does nothing.
void RegisterBandServer(bool unregister);
