// Window tests run handlers whose failures are contained: every test
// program's main watches the failure count around each case and fails the
// case when a guarded step failed that the case did not name.
#pragma once
#include <functional>
#include <string>

// Runs body and expects the named guarded step to fail in it, as the last
// step that failed there.
void ExpectFailedStep(const std::string& step, const std::function<void()>& body);
