// Linked into every Windows test program: a crash ends the program at once with a failing status
// and the exception's code. Left to the system, a crash under Wine starts its debugger, whose
// dialog nobody answers, and the suite would sit until its time limit.
#include <windows.h>

#include <cstdio>

namespace {

LONG WINAPI end_crashed_program(EXCEPTION_POINTERS* exception) {
    std::fprintf(stderr, "unhandled exception 0x%08lx at %p: the test program ends\n",
                 exception->ExceptionRecord->ExceptionCode, exception->ExceptionRecord->ExceptionAddress);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 99);
    return EXCEPTION_EXECUTE_HANDLER;
}

[[maybe_unused]] const LPTOP_LEVEL_EXCEPTION_FILTER previous_filter = SetUnhandledExceptionFilter(end_crashed_program);

}  // namespace
