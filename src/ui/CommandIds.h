// The numeric ids of the program's commands and of the messages the windows receive. The ids
// are fixed values: menus, toolbars, the status-bar prompts, the command handlers and the tests
// all refer to a command by this number.
#pragma once

#include <cstdint>

namespace tonavise::ui {

enum CommandId : int {
    ID_WAVE_SHAPE = 32771,
    ID_HOR_ZOOM_IN = 32779,
    ID_HOR_ZOOM_OUT = 32780,
    ID_FREQUENCY_SCALE = 32781,
    ID_PITCH_SCALE = 32783,
    ID_VERT_ZOOM_IN = 32787,
    ID_VERT_ZOOM_OUT = 32788,
    ID_CAPTURE_SCREEN = 32790,
    ID_SAVE_COPIED_SCREEN = 32791,
    ID_SELECT_NOTATION = 32792,
    ID_SHOW_SCOPE_BAR = 32801,
    ID_HALF_TONE_UP = 32805,
    ID_HALF_TONE_DOWN = 32806,
    ID_NO_TRANSPOSITION = 32808,
    ID_TONE_LA = 32810,
    ID_MIC_MONO = 32814,
    ID_MIC_STEREO = 32815,
    ID_PLAYER_OPEN = 32817,
    ID_PLAYER_PLAY = 32818,
    ID_PLAYER_STOP = 32819,
    ID_PLAYER_SLIDER = 32821,
    ID_PLAYER_PAUSE = 32822,
    ID_HELP_SHOW = 32824,
    ID_SHOW_PLAYER_BAR = 32826,
    ID_SET_PARAMETERS = 32829,
    ID_FUNDAMENTAL_TONE = 32830,
    ID_KEY_C = 32831,  // ... ID_KEY_C + 11 is B
    ID_KEY_B = 32842,
    ID_THREE_D = 32844,
    ID_LOGARITHM = 32846,
    ID_METRONOME_PLAY = 32852,
    ID_METRONOME_SET = 32853,
    ID_RECORDER_RECORD = 32855,
    ID_RECORDER_STOP = 32856,
    ID_RECORDER_PLAY = 32857,
    ID_RECORDER_SAVE = 32858,
    ID_SHOW_RECORDER_BAR = 32861,
    ID_WATCH_RIGHT = 32862,
    ID_WATCH_LEFT = 32863,
    ID_SIGNAL_GENERATOR = 32866,
    ID_SHOW_ASSISTANCE_BAR = 32868,
    ID_PITCH_MARKING = 32869,
    // Added beyond the scope's own commands: the precise tuner and the pitch track.
    ID_PRECISE_PITCH = 32900,
    ID_PITCH_TRACK = 32901,
    // The picture scaled to the window, and whether the scaling keeps its shape.
    ID_FIT_PICTURE = 32902,
    ID_KEEP_ASPECT = 32903,
    // The practice player's A–B loop.
    ID_PLAYER_LOOP_A = 32910,
    ID_PLAYER_LOOP_B = 32911,
    ID_PLAYER_LOOP_CLEAR = 32912,
    ID_APP_ABOUT = 57664,
    ID_APP_EXIT = 57665,
    ID_VIEW_TOOLBAR = 59392,
    ID_VIEW_STATUS_BAR = 59393,
};

}  // namespace tonavise::ui
