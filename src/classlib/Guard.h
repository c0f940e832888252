// Named steps whose failure is contained: the step's name and the error go to
// the debugger output and are counted in Application, and the caller goes on.
#pragma once
#include <functional>

// Runs body; true when it ran through. What the user sees of a failure stays
// the caller's business (a message, a beep, or nothing).
bool Guard(const char* step, const std::function<void()>& body);

// An event handler run from a window procedure: a failure is reported like
// Guard's and then goes to Application.HandleException (a beep unless
// OnException is set). An empty body counts as run.
bool GuardEvent(const char* step, const std::function<void()>& body);
