// Real-time scheduling for the threads that keep the real sound devices fed: every thread that
// opens a sound server or PortAudio stream (the capture, the tone and metronome, the file
// player, the recorder's playback, the signal generator) and the sound server client's mainloop
// thread. PortAudio's own callback thread is left as PortAudio makes it: over ALSA's plugin for
// the sound server it polls without sleeping, which in real time would starve the plugin's own
// thread and stop the sound. Each
// holds only a fraction of a second of sound ahead of the device, so on a busy machine an
// ordinary thread can be kept waiting long enough for the device to run dry (a gap, a click) or
// overflow (lost input). A real-time thread runs before every ordinary one; these ask for
// round-robin scheduling just below the sound server's own (which uses 5), and none of them
// spins: they wait on their queues between buffers. The virtual devices, which run as fast as
// a test drives them, never ask.
//
// A system that does not allow it (an ordinary user without a real-time allowance in
// RLIMIT_RTPRIO) leaves the thread as it was; nothing is said, the sound still works.
#pragma once

namespace tonavise {

// For the calling thread, the first time it asks. True when it runs with real-time scheduling.
bool RaiseToRealtime();

}  // namespace tonavise
