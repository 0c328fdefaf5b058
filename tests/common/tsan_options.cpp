// Linked into every test program of a thread-sanitized build, and into the
// window, simulator and CLI the tests start as processes: the runtime
// asks for its default options before main, so the suppressions for Qt's
// internal hand-overs apply however the test is started (ctest, by hand,
// under a debugger).

extern "C" const char* __tsan_default_options() {
    return "suppressions=" VANTREL_TSAN_SUPPRESSIONS;
}
