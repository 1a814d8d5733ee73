#include "Commands.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>

#include "CommandIds.h"

namespace tonavise::ui {

namespace {

using I = ToolIcon;
constexpr bool kCheck = true;

// Texts are translated in the "Command" context.
#define T(text) QT_TRANSLATE_NOOP("Command", text)

const std::array kCommands = {
    CommandInfo{ID_WAVE_SHAPE,
                T("Wave Shaple Scope"),
                T("Set Wave shape scope mode\nWave shape scope"),
                I::kWaveShape,
                kCheck},
    CommandInfo{ID_HOR_ZOOM_IN,
                T("Horizontal Zoom In"),
                T("Horizontal zoom in\nHor. Zoom-in"),
                I::kHorZoomIn},
    CommandInfo{ID_HOR_ZOOM_OUT,
                T("Horizontal Zoom Out"),
                T("Horizontal zoom out\nHor. Zoom-Out"),
                I::kHorZoomOut},
    CommandInfo{ID_FREQUENCY_SCALE,
                T("Frequency Scale"),
                T("Set X-axis as Frequency scale\nFrequency scale"),
                I::kFrequencyScale,
                kCheck},
    CommandInfo{ID_PITCH_SCALE,
                T("Pitch Scale"),
                T("Set X-axis as Pitch scale\nPitch scale"),
                I::kPitchScale,
                kCheck},
    CommandInfo{ID_VERT_ZOOM_IN,
                T("Vertical Zoom In"),
                T("Vertical zoom in\nVert. Zoom-in"),
                I::kVertZoomIn},
    CommandInfo{ID_VERT_ZOOM_OUT,
                T("Vertical Zoom Out"),
                T("Vertical zoom out\nVert. Zoom-out"),
                I::kVertZoomOut},
    CommandInfo{ID_CAPTURE_SCREEN,
                T("Start Capturing"),
                T("Cope screen\nCope screen"),
                I::kCaptureScreen,
                kCheck},
    CommandInfo{ID_SAVE_COPIED_SCREEN, "", T("Save copied screen\nSave copied screen")},
    CommandInfo{
        ID_SELECT_NOTATION, T("Select Notation"), T("Select Notation\nNotation"), I::kNotation},
    CommandInfo{ID_SHOW_SCOPE_BAR, T("Sc&ope Bar"), "", I::kNone, kCheck},
    CommandInfo{ID_HALF_TONE_UP, "", T("Half tone up\nHalf tone up")},
    CommandInfo{ID_HALF_TONE_DOWN, "", T("Half tone down\nHalf tone down")},
    CommandInfo{ID_NO_TRANSPOSITION, "", T("No Transposition\nNo Transposition")},
    CommandInfo{ID_TONE_LA,
                T("OutPut tone of \"la\""),
                T("Output tone of \"la\"\nTone of \"la\""),
                I::kToneLa,
                kCheck},
    CommandInfo{ID_MIC_MONO,
                T("Monophonic(1-ch)"),
                T("Microphone is Monophonic(1-ch)\n1-ch Mic"),
                I::kNone,
                kCheck},
    CommandInfo{ID_MIC_STEREO,
                T("Stereophonic(2-ch)"),
                T("Microphone is Stereophonic(2-ch)\n2-ch Mic"),
                I::kNone,
                kCheck},
    CommandInfo{ID_PLAYER_OPEN, T("Open File"), T("Open file\nOpen"), I::kOpenFile},
    CommandInfo{ID_PLAYER_PLAY, T("Play"), T("Play file\nPlay"), I::kPlay},
    CommandInfo{ID_PLAYER_STOP, T("Stop"), T("Stop Playing\nStop"), I::kStop},
    CommandInfo{ID_PLAYER_PAUSE, T("Pause"), T("Pause Playing\nPause"), I::kPause},
    CommandInfo{ID_HELP_SHOW, T("Help"), T("Show Help\nHelp"), I::kHelp},
    CommandInfo{ID_SHOW_PLAYER_BAR, T("&Player Bar"), "", I::kNone, kCheck},
    CommandInfo{ID_SET_PARAMETERS,
                T("Set Parameters Dialog"),
                T("Show Set Parameters Dialog\nSet Parameters Dialog"),
                I::kSetParameters},
    CommandInfo{ID_FUNDAMENTAL_TONE,
                T("Fundamental Frequency (tone)"),
                T("Display fundamental frequency (tone)\nFundamental Frequency"),
                I::kNone,
                kCheck},
    CommandInfo{ID_KEY_C + 0, T("C"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 1, T("Db"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 2, T("D"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 3, T("bE"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 4, T("E"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 5, T("F"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 6, T("#F/bG"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 7, T("G"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 8, T("bA"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 9, T("A"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 10, T("bB"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 11, T("B"), "", I::kNone, kCheck},
    CommandInfo{ID_THREE_D, T("3-D Display"), T("Three Dimension\n3-D"), I::kThreeD, kCheck},
    CommandInfo{ID_LOGARITHM,
                T("Logarithmic Display"),
                T("Logarithmic Display\nLogarithmic Display"),
                I::kNone,
                kCheck},
    CommandInfo{
        ID_METRONOME_PLAY, T("Play"), T("Play Metronome\nPlay Metronome"), I::kMetronome, kCheck},
    CommandInfo{ID_METRONOME_SET, T("Set"), T("Set Metronome\nSet Metronome")},
    CommandInfo{
        ID_RECORDER_RECORD, T("Record"), T("Record sound from Microphone\nRecord"), I::kRecord},
    CommandInfo{ID_RECORDER_STOP, T("Stop"), T("Stop recording\nStop"), I::kRecordStop},
    CommandInfo{
        ID_RECORDER_PLAY, T("Play"), T("Play recorded sound\nPlay"), I::kRecordPlay, kCheck},
    CommandInfo{ID_RECORDER_SAVE, T("Save"), T("Save recorded sound\nSave"), I::kSave},
    CommandInfo{ID_SHOW_RECORDER_BAR, T("&Recorder Bar"), "", I::kNone, kCheck},
    CommandInfo{ID_WATCH_RIGHT, T("Watch Right"), T("Watch right\nWatch right"), I::kWatchRight},
    CommandInfo{ID_WATCH_LEFT, T("Watch Left"), T("Watch left\nWatch left"), I::kWatchLeft},
    CommandInfo{ID_SIGNAL_GENERATOR,
                T("Signal generator"),
                T("Signal generator\nSignal generator"),
                I::kSignalGenerator},
    CommandInfo{ID_SHOW_ASSISTANCE_BAR, T("&Assistance Bar"), "", I::kNone, kCheck},
    CommandInfo{ID_PITCH_MARKING,
                T("Pitch Marking"),
                T("Marking the pitch scale line with color.\nPitch Marking"),
                I::kPitchMarking},
    CommandInfo{ID_APP_ABOUT, T("&About Tonavise..."), T("About Tonavise...")},
    CommandInfo{ID_APP_EXIT, T("E&xit"), T("Quit the application\nExit")},
    CommandInfo{ID_VIEW_TOOLBAR,
                T("&Tool Bar"),
                T("Show or hide the toolbar\nToggle ToolBar"),
                I::kNone,
                kCheck},
    CommandInfo{ID_VIEW_STATUS_BAR,
                T("&Status Bar)"),
                T("Show or hide the status bar\nToggle Status Bar"),
                I::kNone,
                kCheck},
};

#undef T

QString Translated(const char* text) {
    return QCoreApplication::translate("Command", text);
}

}  // namespace

std::span<const CommandInfo> CommandTable() {
    return kCommands;
}

const CommandInfo* FindCommand(int id) {
    const auto it = std::find_if(
        kCommands.begin(), kCommands.end(), [id](const CommandInfo& c) { return c.id == id; });
    return it == kCommands.end() ? nullptr : &*it;
}

QString CommandPrompt(const CommandInfo& info) {
    if (*info.prompt == '\0') {
        return {};
    }
    return Translated(info.prompt).section(QLatin1Char('\n'), 0, 0);
}

QString CommandToolTip(const CommandInfo& info) {
    if (*info.prompt == '\0') {
        return {};
    }
    const QString text = Translated(info.prompt);
    return text.contains(QLatin1Char('\n')) ? text.section(QLatin1Char('\n'), 1) : QString();
}

QString CommandMenuText(const CommandInfo& info) {
    return *info.menuText == '\0' ? QString() : Translated(info.menuText);
}

CommandTarget* CommandRouter::TargetFor(int id) const {
    for (CommandTarget* t : targets_) {
        if (t->HandlesCommand(id)) {
            return t;
        }
    }
    return nullptr;
}

CommandState CommandRouter::State(int id) const {
    CommandTarget* target = TargetFor(id);
    if (target == nullptr) {
        return {false, false};
    }
    CommandState state;
    target->UpdateCommand(id, state);
    return state;
}

bool CommandRouter::Execute(int id) const {
    CommandTarget* target = TargetFor(id);
    if (target == nullptr) {
        return false;
    }
    CommandState state;
    target->UpdateCommand(id, state);
    if (!state.enabled) {
        return false;
    }
    target->OnCommand(id);
    return true;
}

}  // namespace tonavise::ui
