// Window tests run handlers whose failures are contained: every test
// program's main watches the failure count around each case and fails the
// case when a guarded step failed that the case did not name.
#pragma once
#include <functional>
#include <string>

// Runs body and expects exactly one guarded step, the one named, to fail in it.
void ExpectFailedStep(const std::string& step, const std::function<void()>& body);
