// Linked into every test program of an address-sanitized build (and the
// programs the tests start). The leak
// checker asks for these before main, however the test is started.
//
// Qt's offscreen platform plugin (the platform of the widget tests) never
// releases the screen, cursor and integration objects it creates with the
// application. Debian's Qt is built without frame pointers, so the only frame
// the checker sees is the Qt constructor that allocated; each entry names one
// of those Qt-internal allocations. Our own code is never listed here.
//
// Fontconfig, which Qt's font database asks when a report is rendered, keeps
// its pattern caches until the process ends and never frees them.

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libqoffscreen.so\n"
           "leak:QScreen::QScreen\n"
           "leak:QPlatformScreen::QPlatformScreen\n"
           "leak:QPlatformCursor::QPlatformCursor\n"
           "leak:QWindowSystemInterface::handleScreenAdded\n"
           "leak:QtSharedPointer::ExternalRefCountData::getAndRef\n"
           // The d-pointer of the plugin's QPlatformCursor, allocated in QObject's constructor.
           "leak:QObject::QObject\n"
           "leak:libfontconfig.so\n";
}
