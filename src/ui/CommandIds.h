// The ids of the program's commands: menus, toolbars, the status-bar prompts, the command
// handlers and the tests all name a command by its id. The values mean nothing beyond telling
// the commands apart (none is stored); only the twelve keys must stay in a row, C to B.
#pragma once

#include <cstdint>

namespace tonavise::ui {

enum CommandId : int {
    ID_WAVE_SHAPE = 1,
    ID_HOR_ZOOM_IN,
    ID_HOR_ZOOM_OUT,
    ID_FREQUENCY_SCALE,
    ID_PITCH_SCALE,
    ID_VERT_ZOOM_IN,
    ID_VERT_ZOOM_OUT,
    ID_CAPTURE_SCREEN,
    ID_SAVE_COPIED_SCREEN,
    ID_SELECT_NOTATION,
    ID_SHOW_SCOPE_BAR,
    ID_HALF_TONE_UP,
    ID_HALF_TONE_DOWN,
    ID_NO_TRANSPOSITION,
    ID_TONE_LA,
    ID_MIC_MONO,
    ID_MIC_STEREO,
    ID_PLAYER_OPEN,
    ID_PLAYER_PLAY,
    ID_PLAYER_STOP,
    ID_PLAYER_SLIDER,
    ID_PLAYER_PAUSE,
    ID_HELP_SHOW,
    ID_SHOW_PLAYER_BAR,
    ID_SET_PARAMETERS,
    ID_FUNDAMENTAL_TONE,
    ID_KEY_C,  // ... ID_KEY_C + 11 is B
    ID_KEY_B = ID_KEY_C + 11,
    ID_THREE_D,
    ID_LOGARITHM,
    ID_METRONOME_PLAY,
    ID_METRONOME_SET,
    ID_RECORDER_RECORD,
    ID_RECORDER_STOP,
    ID_RECORDER_PLAY,
    ID_RECORDER_SAVE,
    ID_SHOW_RECORDER_BAR,
    ID_WATCH_RIGHT,
    ID_WATCH_LEFT,
    ID_SIGNAL_GENERATOR,
    ID_SHOW_ASSISTANCE_BAR,
    ID_PITCH_MARKING,
    // Added beyond the scope's own commands: the precise tuner and the pitch track.
    ID_PRECISE_PITCH,
    ID_PITCH_TRACK,
    // The tuner view, and its needle or strobe.
    ID_TUNER,
    ID_TUNER_STROBE,
    // The picture scaled to the window, and whether the scaling keeps its shape.
    ID_FIT_PICTURE,
    ID_KEEP_ASPECT,
    // The practice player's A–B loop.
    ID_PLAYER_LOOP_A,
    ID_PLAYER_LOOP_B,
    ID_PLAYER_LOOP_CLEAR,
    ID_APP_ABOUT,
    ID_APP_EXIT,
    ID_VIEW_TOOLBAR,
    ID_VIEW_STATUS_BAR,
    // Space: plays the loaded file, or pauses it while it plays.
    ID_PLAYER_PLAY_PAUSE,
    // T: a tap of the metronome's tempo.
    ID_METRONOME_TAP,
    // Ctrl+L: the loop window (times, pause, trainer, saved loops).
    ID_PLAYER_LOOP_EDIT,
};

}  // namespace tonavise::ui
