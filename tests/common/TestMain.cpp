// The main of every test program: gtest's, plus the guard watch.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>

#include "classlib/Application.h"
#include "common/GuardWatch.h"
#include "common/TestFiles.h"

namespace {

int expected = 0;  // failures the running case named
int before = 0;

class GuardListener : public testing::EmptyTestEventListener {
  void OnTestStart(const testing::TestInfo&) override {
    before = Application.GuardFailureCount;
    expected = 0;
  }
  // Runs ahead of the printer, so the failure still counts for this case.
  void OnTestEnd(const testing::TestInfo&) override {
    EXPECT_EQ(Application.GuardFailureCount - before, expected)
        << "a guarded step failed: " << Application.LastGuardFailure;
  }
};

// A crash would wait for a debugger, and the run would say nothing of where
// it stopped: the report names the case that was running, and the program
// ends with the exception's code.
LONG WINAPI ReportCrash(EXCEPTION_POINTERS* e) {
  const testing::TestInfo* t = testing::UnitTest::GetInstance()->current_test_info();
  fprintf(stderr, "crash: exception %08lx at %p in %s%s%s\n",
          (unsigned long)e->ExceptionRecord->ExceptionCode, e->ExceptionRecord->ExceptionAddress,
          t ? t->test_suite_name() : "no running case", t ? "." : "", t ? t->name() : "");
  fflush(stderr);
  return EXCEPTION_EXECUTE_HANDLER;
}

}  // namespace

void ExpectFailedStep(const std::string& step, const std::function<void()>& body) {
  const int start = Application.GuardFailureCount;
  body();
  EXPECT_GT(Application.GuardFailureCount, start) << "expected step " << step << " to fail";
  EXPECT_EQ(Application.LastGuardFailure.compare(0, step.size(), step), 0)
      << Application.LastGuardFailure;
  expected += Application.GuardFailureCount - start;
}

int main(int argc, char** argv) {
  setvbuf(stdout, nullptr, _IONBF, 0);
  SetUnhandledExceptionFilter(ReportCrash);
  testing::InitGoogleTest(&argc, argv);
  testing::TestEventListeners& listeners = testing::UnitTest::GetInstance()->listeners();
  testing::TestEventListener* printer = listeners.Release(listeners.default_result_printer());
  listeners.Append(new GuardListener);
  if (printer) listeners.Append(printer);
  int rc = 0;
  {
    PrivateUserFolders folders;
    rc = RUN_ALL_TESTS();
  }
  printf("every case has ended (%d)\n", rc);
  return rc;
}
