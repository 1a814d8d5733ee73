// Built into the UI test programs. Qt, GLib, the X libraries and the sound libraries are not
// built with the sanitizers: ThreadSanitizer cannot see the synchronisation inside them and
// reports their own internal hand-overs (Qt's drawing thread pool, its event queues) as races,
// and the D-Bus library keeps blocks for the life of the process. Only reports with a frame in
// one of these libraries are left out; the program's own code is still checked. Where a session
// bus is reachable, Qt's D-Bus thread (started with the menus) takes libdbus's own locks in an
// order ThreadSanitizer calls an inversion; the tests run without a bus (their main()
// switches it off), and the report is left out for runs by hand on a desktop.

extern "C" const char* __tsan_default_suppressions() {
    return "race:libglib-2.0.so\n"
           "race:libQt6Core.so\n"
           "race:libQt6Gui.so\n"
           "race:libQt6Widgets.so\n"
           "race:libQt6DBus.so\n"
           "race:libQt6XcbQpa.so\n"
           "race:libxcb\n"
           "race:libX11\n"
           "race:libdbus-1.so\n"
           "deadlock:libdbus-1.so\n"
           "deadlock:libQt6DBus.so\n"
           "race:libfontconfig.so\n"
           "race:libfreetype.so\n"
           "race:libpulse.so\n"
           "race:libpulsecommon\n"
           "race:libasound.so\n"
           "race:libasound_module_pcm_pulse.so\n"
           "race:libportaudio.so\n";
}

extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
