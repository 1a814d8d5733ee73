#include "ui/Commands.h"

#include <QCoreApplication>
#include <algorithm>
#include <array>

#include "ui/CommandIds.h"

namespace tonavise::ui {

namespace {

using I = ToolIcon;
constexpr bool kCheck = true;

// Texts are translated in the "Command" context (written out in full, so that lupdate finds
// them).

const std::array kCommands = {
    CommandInfo{ID_WAVE_SHAPE,
                QT_TRANSLATE_NOOP("Command", "Wave Shape Scope"),
                QT_TRANSLATE_NOOP("Command", "Set Wave shape scope mode\nWave shape scope"),
                I::kWaveShape,
                kCheck},
    CommandInfo{ID_HOR_ZOOM_IN,
                QT_TRANSLATE_NOOP("Command", "Horizontal Zoom In"),
                QT_TRANSLATE_NOOP("Command", "Horizontal zoom in\nHor. Zoom-in"),
                I::kHorZoomIn},
    CommandInfo{ID_HOR_ZOOM_OUT,
                QT_TRANSLATE_NOOP("Command", "Horizontal Zoom Out"),
                QT_TRANSLATE_NOOP("Command", "Horizontal zoom out\nHor. Zoom-Out"),
                I::kHorZoomOut},
    CommandInfo{ID_FREQUENCY_SCALE,
                QT_TRANSLATE_NOOP("Command", "Frequency Scale"),
                QT_TRANSLATE_NOOP("Command", "Set X-axis as Frequency scale\nFrequency scale"),
                I::kFrequencyScale,
                kCheck},
    CommandInfo{ID_PITCH_SCALE,
                QT_TRANSLATE_NOOP("Command", "Pitch Scale"),
                QT_TRANSLATE_NOOP("Command", "Set X-axis as Pitch scale\nPitch scale"),
                I::kPitchScale,
                kCheck},
    CommandInfo{ID_VERT_ZOOM_IN,
                QT_TRANSLATE_NOOP("Command", "Vertical Zoom In"),
                QT_TRANSLATE_NOOP("Command", "Vertical zoom in\nVert. Zoom-in"),
                I::kVertZoomIn},
    CommandInfo{ID_VERT_ZOOM_OUT,
                QT_TRANSLATE_NOOP("Command", "Vertical Zoom Out"),
                QT_TRANSLATE_NOOP("Command", "Vertical zoom out\nVert. Zoom-out"),
                I::kVertZoomOut},
    CommandInfo{ID_CAPTURE_SCREEN,
                QT_TRANSLATE_NOOP("Command", "Start Capturing"),
                QT_TRANSLATE_NOOP("Command", "Copy screen\nCopy screen"),
                I::kCaptureScreen,
                kCheck},
    CommandInfo{ID_SAVE_COPIED_SCREEN,
                "",
                QT_TRANSLATE_NOOP("Command", "Save copied screen\nSave copied screen")},
    CommandInfo{ID_SELECT_NOTATION,
                QT_TRANSLATE_NOOP("Command", "Select Notation"),
                QT_TRANSLATE_NOOP("Command", "Select Notation\nNotation"),
                I::kNotation},
    CommandInfo{
        ID_SHOW_SCOPE_BAR, QT_TRANSLATE_NOOP("Command", "Sc&ope Bar"), "", I::kNone, kCheck},
    CommandInfo{ID_HALF_TONE_UP, "", QT_TRANSLATE_NOOP("Command", "Half tone up\nHalf tone up")},
    CommandInfo{
        ID_HALF_TONE_DOWN, "", QT_TRANSLATE_NOOP("Command", "Half tone down\nHalf tone down")},
    CommandInfo{ID_NO_TRANSPOSITION,
                "",
                QT_TRANSLATE_NOOP("Command", "No Transposition\nNo Transposition")},
    CommandInfo{ID_TONE_LA,
                QT_TRANSLATE_NOOP("Command", "Output tone of \"la\""),
                QT_TRANSLATE_NOOP("Command", "Output tone of \"la\"\nTone of \"la\""),
                I::kToneLa,
                kCheck},
    CommandInfo{ID_MIC_MONO,
                QT_TRANSLATE_NOOP("Command", "Monophonic(1-ch)"),
                QT_TRANSLATE_NOOP("Command", "Microphone is Monophonic(1-ch)\n1-ch Mic"),
                I::kNone,
                kCheck},
    CommandInfo{ID_MIC_STEREO,
                QT_TRANSLATE_NOOP("Command", "Stereophonic(2-ch)"),
                QT_TRANSLATE_NOOP("Command", "Microphone is Stereophonic(2-ch)\n2-ch Mic"),
                I::kNone,
                kCheck},
    CommandInfo{ID_PLAYER_OPEN,
                QT_TRANSLATE_NOOP("Command", "Open File"),
                QT_TRANSLATE_NOOP("Command", "Open file\nOpen"),
                I::kOpenFile},
    CommandInfo{
        ID_PLAYER_PLAY_PAUSE,
        QT_TRANSLATE_NOOP("Command", "Play or Pause"),
        QT_TRANSLATE_NOOP("Command", "Play the file, or pause it while it plays\nPlay or Pause"),
        I::kNone},
    CommandInfo{
        ID_METRONOME_TAP,
        QT_TRANSLATE_NOOP("Command", "Tap Tempo"),
        QT_TRANSLATE_NOOP("Command", "Tap the metronome's tempo, one press a beat\nTap Tempo"),
        I::kNone},
    CommandInfo{ID_PLAYER_PLAY,
                QT_TRANSLATE_NOOP("Command", "Play"),
                QT_TRANSLATE_NOOP("Command", "Play file\nPlay"),
                I::kPlay},
    CommandInfo{ID_PLAYER_STOP,
                QT_TRANSLATE_NOOP("Command", "Stop"),
                QT_TRANSLATE_NOOP("Command", "Stop Playing\nStop"),
                I::kStop},
    CommandInfo{ID_PLAYER_PAUSE,
                QT_TRANSLATE_NOOP("Command", "Pause"),
                QT_TRANSLATE_NOOP("Command", "Pause Playing\nPause"),
                I::kPause},
    CommandInfo{
        ID_PLAYER_LOOP_A,
        QT_TRANSLATE_NOOP("Command", "Loop Start (A)"),
        QT_TRANSLATE_NOOP("Command", "Set the loop's start at the play position\nLoop start (A)"),
        I::kLoopA},
    CommandInfo{
        ID_PLAYER_LOOP_B,
        QT_TRANSLATE_NOOP("Command", "Loop End (B)"),
        QT_TRANSLATE_NOOP("Command", "Set the loop's end at the play position\nLoop end (B)"),
        I::kLoopB},
    CommandInfo{ID_PLAYER_LOOP_CLEAR,
                QT_TRANSLATE_NOOP("Command", "Clear Loop"),
                QT_TRANSLATE_NOOP("Command", "Play on without the loop\nClear loop"),
                I::kLoopClear},
    CommandInfo{ID_PLAYER_LOOP_EDIT,
                QT_TRANSLATE_NOOP("Command", "Loop..."),
                QT_TRANSLATE_NOOP("Command",
                                  "Type the loop's times, pause or speed up each repeat, and "
                                  "save loops with the file\nLoop"),
                I::kNone},
    CommandInfo{ID_HELP_SHOW,
                QT_TRANSLATE_NOOP("Command", "Help"),
                QT_TRANSLATE_NOOP("Command", "Show Help\nHelp"),
                I::kHelp},
    CommandInfo{
        ID_SHOW_PLAYER_BAR, QT_TRANSLATE_NOOP("Command", "&Player Bar"), "", I::kNone, kCheck},
    CommandInfo{ID_SET_PARAMETERS,
                QT_TRANSLATE_NOOP("Command", "Set Parameters Dialog"),
                QT_TRANSLATE_NOOP("Command", "Show Set Parameters Dialog\nSet Parameters Dialog"),
                I::kSetParameters},
    CommandInfo{
        ID_FUNDAMENTAL_TONE,
        QT_TRANSLATE_NOOP("Command", "Fundamental Frequency (tone)"),
        QT_TRANSLATE_NOOP("Command", "Display fundamental frequency (tone)\nFundamental Frequency"),
        I::kNone,
        kCheck},
    CommandInfo{ID_KEY_C + 0, QT_TRANSLATE_NOOP("Command", "C"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 1, QT_TRANSLATE_NOOP("Command", "Db"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 2, QT_TRANSLATE_NOOP("Command", "D"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 3, QT_TRANSLATE_NOOP("Command", "bE"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 4, QT_TRANSLATE_NOOP("Command", "E"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 5, QT_TRANSLATE_NOOP("Command", "F"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 6, QT_TRANSLATE_NOOP("Command", "#F/bG"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 7, QT_TRANSLATE_NOOP("Command", "G"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 8, QT_TRANSLATE_NOOP("Command", "bA"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 9, QT_TRANSLATE_NOOP("Command", "A"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 10, QT_TRANSLATE_NOOP("Command", "bB"), "", I::kNone, kCheck},
    CommandInfo{ID_KEY_C + 11, QT_TRANSLATE_NOOP("Command", "B"), "", I::kNone, kCheck},
    CommandInfo{ID_THREE_D,
                QT_TRANSLATE_NOOP("Command", "3-D Display"),
                QT_TRANSLATE_NOOP("Command", "Three Dimension\n3-D"),
                I::kThreeD,
                kCheck},
    CommandInfo{ID_LOGARITHM,
                QT_TRANSLATE_NOOP("Command", "Logarithmic Display"),
                QT_TRANSLATE_NOOP("Command", "Logarithmic Display\nLogarithmic Display"),
                I::kNone,
                kCheck},
    CommandInfo{ID_METRONOME_PLAY,
                QT_TRANSLATE_NOOP("Command", "Play"),
                QT_TRANSLATE_NOOP("Command", "Play Metronome\nPlay Metronome"),
                I::kMetronome,
                kCheck},
    CommandInfo{ID_METRONOME_SET,
                QT_TRANSLATE_NOOP("Command", "Set"),
                QT_TRANSLATE_NOOP("Command", "Set Metronome\nSet Metronome")},
    CommandInfo{ID_RECORDER_RECORD,
                QT_TRANSLATE_NOOP("Command", "Record"),
                QT_TRANSLATE_NOOP("Command", "Record sound from Microphone\nRecord"),
                I::kRecord},
    CommandInfo{ID_RECORDER_STOP,
                QT_TRANSLATE_NOOP("Command", "Stop"),
                QT_TRANSLATE_NOOP("Command", "Stop recording\nStop"),
                I::kRecordStop},
    CommandInfo{ID_RECORDER_PLAY,
                QT_TRANSLATE_NOOP("Command", "Play"),
                QT_TRANSLATE_NOOP("Command", "Play recorded sound\nPlay"),
                I::kRecordPlay,
                kCheck},
    CommandInfo{ID_RECORDER_SAVE,
                QT_TRANSLATE_NOOP("Command", "Save"),
                QT_TRANSLATE_NOOP("Command", "Save recorded sound\nSave"),
                I::kSave},
    CommandInfo{
        ID_SHOW_RECORDER_BAR, QT_TRANSLATE_NOOP("Command", "&Recorder Bar"), "", I::kNone, kCheck},
    CommandInfo{ID_WATCH_RIGHT,
                QT_TRANSLATE_NOOP("Command", "Watch Right"),
                QT_TRANSLATE_NOOP("Command", "Watch right\nWatch right"),
                I::kWatchRight},
    CommandInfo{ID_WATCH_LEFT,
                QT_TRANSLATE_NOOP("Command", "Watch Left"),
                QT_TRANSLATE_NOOP("Command", "Watch left\nWatch left"),
                I::kWatchLeft},
    CommandInfo{ID_SIGNAL_GENERATOR,
                QT_TRANSLATE_NOOP("Command", "Signal generator"),
                QT_TRANSLATE_NOOP("Command", "Signal generator\nSignal generator"),
                I::kSignalGenerator},
    CommandInfo{ID_SHOW_ASSISTANCE_BAR,
                QT_TRANSLATE_NOOP("Command", "&Assistance Bar"),
                "",
                I::kNone,
                kCheck},
    CommandInfo{
        ID_PITCH_MARKING,
        QT_TRANSLATE_NOOP("Command", "Pitch Marking"),
        QT_TRANSLATE_NOOP("Command", "Marking the pitch scale line with color.\nPitch Marking"),
        I::kPitchMarking},
    CommandInfo{ID_PRECISE_PITCH,
                QT_TRANSLATE_NOOP("Command", "Precise Pitch"),
                QT_TRANSLATE_NOOP("Command",
                                  "Name the pitch with the precise estimate, to a tenth of a "
                                  "cent, with a tuner bar\nPrecise Pitch"),
                I::kPrecisePitch,
                kCheck},
    CommandInfo{
        ID_PITCH_TRACK,
        QT_TRANSLATE_NOOP("Command", "Pitch Track"),
        QT_TRANSLATE_NOOP("Command", "Show how the pitch moved over the last seconds\nPitch Track"),
        I::kPitchTrack,
        kCheck},
    CommandInfo{ID_TUNER,
                QT_TRANSLATE_NOOP("Command", "T&uner"),
                QT_TRANSLATE_NOOP("Command",
                                  "Show the tuner: the note large, its cents on a needle or a "
                                  "strobe\nTuner"),
                I::kTuner,
                kCheck},
    CommandInfo{
        ID_TUNER_STROBE,
        QT_TRANSLATE_NOOP("Command", "Tuner Stro&be"),
        QT_TRANSLATE_NOOP("Command", "Show the tuner's strobe instead of its needle\nTuner Strobe"),
        I::kNone,
        kCheck},
    CommandInfo{ID_FIT_PICTURE,
                QT_TRANSLATE_NOOP("Command", "&Fit Picture to Window"),
                QT_TRANSLATE_NOOP("Command",
                                  "Scale the scope's picture to the window\nFit Picture to Window"),
                I::kNone,
                kCheck},
    CommandInfo{ID_KEEP_ASPECT,
                QT_TRANSLATE_NOOP("Command", "&Keep Aspect Ratio"),
                QT_TRANSLATE_NOOP("Command",
                                  "Scale the fitted picture without distorting it\nKeep Aspect "
                                  "Ratio"),
                I::kNone,
                kCheck},
    CommandInfo{ID_APP_ABOUT,
                QT_TRANSLATE_NOOP("Command", "&About Tonavise..."),
                QT_TRANSLATE_NOOP("Command", "About Tonavise...")},
    CommandInfo{ID_APP_EXIT,
                QT_TRANSLATE_NOOP("Command", "E&xit"),
                QT_TRANSLATE_NOOP("Command", "Quit the application\nExit")},
    CommandInfo{ID_VIEW_TOOLBAR,
                QT_TRANSLATE_NOOP("Command", "&Tool Bar"),
                QT_TRANSLATE_NOOP("Command", "Show or hide the toolbar\nToggle ToolBar"),
                I::kNone,
                kCheck},
    CommandInfo{ID_VIEW_STATUS_BAR,
                QT_TRANSLATE_NOOP("Command", "&Status Bar"),
                QT_TRANSLATE_NOOP("Command", "Show or hide the status bar\nToggle Status Bar"),
                I::kNone,
                kCheck},
};

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
    target->HandleCommand(id);
    return true;
}

}  // namespace tonavise::ui
