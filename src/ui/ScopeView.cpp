#include "ui/ScopeView.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <mutex>

#include "engine/dsp/KeyTable.h"
#include "engine/live/CaptureStore.h"
#include "engine/live/PitchReading.h"
#include "engine/live/RecordingStore.h"
#include "ui/CommandIds.h"
#include "ui/FundamentalToneWindow.h"
#include "ui/MetronomeDialog.h"
#include "ui/PitchMarkingDialog.h"
#include "ui/PitchTrackWindow.h"
#include "ui/SettingsDialog.h"
#include "ui/SettingsStore.h"
#include "ui/SignalGeneratorDialog.h"

namespace tonavise::ui {

// The composed picture, at its pixel size inside the scrolling area or scaled to fill it. The
// scaled picture is drawn by the painter from the composed surface each time (smooth scaling
// of the part the renderers drew), so the renderers keep drawing at their own size.
class ScopePicture final : public QWidget {
  public:
    ScopePicture(const QImage& image, QWidget* parent) : QWidget(parent), image_(image) {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setMouseTracking(true);
    }

    // The part of the surface the mode draws, and whether it is scaled to the widget.
    void SetLayout(QSize drawing, bool fit, bool keepAspect) {
        drawing_ = drawing;
        fit_ = fit;
        keepAspect_ = keepAspect;
        Place();
        update();
    }
    bool fit() const { return fit_; }
    QSize drawing() const { return drawing_; }
    QRect shown() const { return shown_; }

  protected:
    void paintEvent(QPaintEvent* event) override {
        QPainter painter(this);
        if (!fit_) {
            const QRect r = event->rect() & QRect(QPoint(0, 0), size());
            painter.drawImage(r.topLeft(), image_, r);
            return;
        }
        // Around a picture that keeps its aspect: the view's dark background.
        const QRegion margin = QRegion(event->rect()) - QRegion(shown_);
        for (const QRect& r : margin) {
            painter.fillRect(r, palette().color(QPalette::Dark));
        }
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(shown_, image_, QRect(QPoint(0, 0), drawing_));
    }

    void resizeEvent(QResizeEvent* event) override {
        QWidget::resizeEvent(event);
        Place();
    }

  private:
    void Place() {
        shown_ =
            fit_ ? FittedPictureRect(drawing_, size(), keepAspect_) : QRect(QPoint(0, 0), drawing_);
    }

    const QImage& image_;
    QSize drawing_;
    QRect shown_;
    bool fit_ = false;
    bool keepAspect_ = true;
};

namespace {

constexpr int kKeyCountInMenu = 12;

}  // namespace

QSize DrawingSizeOfMode(int32_t scopeMode) {
    const DrawingSize size = DrawingSizeOf(scopeMode);
    return {size.width, size.height};
}

std::optional<int32_t> FrequencyAt(int x, int32_t spanIndex, int32_t startFrequency) {
    if (x < 50 || x >= 1050) {
        return std::nullopt;
    }
    return (x - 50) * spanTable[spanIndex] / 1000 + startFrequency;
}

bool OverPitchLine(int x, int y, int scrollX) {
    if (!(10 < y && y < 410)) {
        return false;
    }
    // Truncation toward zero: x a little left of the first line still gives column 0.
    const int column = (x + scrollX + 10 - 50) / 20;
    return column >= 0 && column <= 88;
}

QRect FittedPictureRect(QSize drawing, QSize area, bool keepAspect) {
    if (drawing.isEmpty() || area.isEmpty()) {
        return {};
    }
    if (!keepAspect) {
        return {QPoint(0, 0), area};
    }
    const QSize size = drawing.scaled(area, Qt::KeepAspectRatio);
    return {QPoint((area.width() - size.width()) / 2, (area.height() - size.height()) / 2), size};
}

QPoint FittedToPicture(QPoint point, QRect shown, QSize drawing) {
    if (shown.isEmpty() || !shown.contains(point)) {
        return {-1, -1};
    }
    // The pixel whose scaled area holds the point: floor of the inverse scale.
    const auto map = [](int p, int from, int shownLength, int length) {
        const int64_t scaled = static_cast<int64_t>(p - from) * length / shownLength;
        return static_cast<int>(std::min<int64_t>(scaled, length - 1));
    };
    return {map(point.x(), shown.x(), shown.width(), drawing.width()),
            map(point.y(), shown.y(), shown.height(), drawing.height())};
}

QString KeySelectText(int key) {
    static const char* const kNames[kKeyCountInMenu] = {
        "C", "Db", "D", "bE", "E", "F", "#F/bG", "G", "bA", "A", "bB", "B"};
    return QStringLiteral("1 = %1").arg(QString::fromLatin1(kNames[key]));
}

ScopeView::ScopeView(AppContext& context, QWidget* parent)
    : QScrollArea(parent),
      context_(context),
      picture_(new ScopePicture(renderer_.composeSurface(), this)),
      capture_(std::make_unique<ScopeCapture>(context.capturerSettings, context.notifier, this)),
      tools_(std::make_unique<ToolCommands>(*this, context)) {
    state_.scopeMode = kScopeNone;
    setObjectName(QStringLiteral("scopeView"));
    setFrameShape(QFrame::StyledPanel);
    setWidgetResizable(false);
    setAlignment(Qt::AlignLeft | Qt::AlignTop);
    setFocusPolicy(Qt::StrongFocus);
    setBackgroundRole(QPalette::Dark);
    picture_->resize(1, 1);
    picture_->setAccessibleName(tr("Scope"));
    setWidget(picture_);
    picture_->installEventFilter(this);
    viewport()->setMouseTracking(true);
    viewport()->installEventFilter(this);
}

ScopeView::~ScopeView() {
    StopLive();
}

int32_t ScopeView::scopeMode() const {
    return context_.captureStore.scopeMode.load(std::memory_order_relaxed);
}

int32_t ScopeView::channelCount() const {
    return context_.captureStore.channelCount.load(std::memory_order_relaxed);
}

QWidget* ScopeView::picture() const {
    return picture_;
}

QWidget* ScopeView::Frame() const {
    QWidget* w = window();
    return w == this ? nullptr : w;
}

int ScopeView::ScrollX() const {
    return horizontalScrollBar()->value();
}

void ScopeView::StartLive() {
    if (started_) {
        return;
    }
    started_ = true;

    const ViewSettings settings = LoadViewSettings(context_.settings);
    context_.keyTable.SetA4(settings.a4);
    state_.keyIndex = settings.keyIndex;
    context_.keyTable.logarithmOption.store(settings.logarithm, std::memory_order_relaxed);
    context_.keyTable.pitchMethod.store(settings.pitchMethod, std::memory_order_relaxed);
    tunerSmoothing_ = settings.tunerSmoothing;
    trackSpan_ = settings.pitchTrackSpan;
    trackSize_ = QSize(settings.pitchTrackWidth, settings.pitchTrackHeight);
    fitPicture_ = settings.fitPicture;
    keepAspect_ = settings.keepAspect;

    // The view sleeps until the store wakes it: no poll.
    viewWake_ =
        new QSocketNotifier(context_.captureStore.viewWake.fd(), QSocketNotifier::Read, this);
    connect(viewWake_, &QSocketNotifier::activated, this, &ScopeView::OnViewWake);

    FitFrameToView();
    SwitchMode(kScopePitch);

    capture_->Start();
    context_.engine.Start(context_.devices, context_.language);
    if (settings.pitchTrackShown) {
        TogglePitchTrack();
    }
}

void ScopeView::StopLive() {
    if (destroyed_) {
        return;
    }
    destroyed_ = true;
    if (started_) {
        SavePitchTrackState();
    }
    if (viewWake_ != nullptr) {
        viewWake_->setEnabled(false);
    }
    // The player's reports and the analysis' readers are this view's: the engine stops first.
    context_.engine.Stop();
    capture_->Stop();
}

void ScopeView::SwitchMode(int32_t mode) {
    CaptureStore& store = context_.captureStore;
    if (store.scopeMode.load(std::memory_order_relaxed) == mode) {
        return;
    }
    store.scopeMode.store(mode, std::memory_order_relaxed);
    state_.scopeMode = mode;
    const bool firstMode = drawingSize_.isEmpty();
    drawingSize_ = DrawingSizeOfMode(mode);
    ApplyPictureFit();
    MarkScaleDirty();
    if (mode != kScopeWave) {
        renderer_.ClearTraces(DrawingSizeOf(mode));
    }
    // A fitted picture follows the window the user chose; the window is only fitted around the
    // picture of the first mode.
    if (!fitPicture_ || firstMode) {
        FitFrameToView();
    }
    if (toneWindow_ != nullptr) {
        if (mode == kScopeWave) {
            toneWindow_->hide();
        } else if (toneWindowShown_ != 0) {
            toneWindow_->show();
        }
    }
    RedrawNow();
}

void ScopeView::FitFrameToView() {
    QWidget* frame = Frame();
    if (frame == nullptr || drawingSize_.isEmpty()) {
        return;
    }
    // The view window that shows exactly drawingSize without scroll bars.
    const QSize needed = drawingSize_ + QSize(2 * frameWidth(), 2 * frameWidth());
    QSize size = frame->size() + (needed - this->size());
    // Decorations of the window manager, so that the whole window fits on the screen.
    const QSize decorations = frame->frameGeometry().size() - frame->geometry().size();
    const QRect screen = frame->screen() != nullptr ? frame->screen()->geometry() : QRect();
    if (!screen.isEmpty()) {
        size = size.boundedTo(screen.size() - decorations);
    }
    size = size.expandedTo(frame->minimumSizeHint());
    frame->resize(size);
    if (!screen.isEmpty()) {
        const QSize outer = size + decorations;
        frame->move(screen.x() + (screen.width() - outer.width()) / 2,
                    screen.y() + (screen.height() - outer.height()) / 2);
    }
}

void ScopeView::ApplyPictureFit() {
    if (fitPicture_) {
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setWidgetResizable(true);
    } else {
        setWidgetResizable(false);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
        picture_->resize(drawingSize_);
    }
    picture_->SetLayout(drawingSize_, fitPicture_, keepAspect_);
    picture_->unsetCursor();
}

void ScopeView::RedrawNow() {
    ComposePicture();
    // Only the rows the drawing changed are copied (or scaled) to the window.
    const auto [first, last] = renderer_.changedRows();
    if (last <= first) {
        // nothing changed
    } else if (fitPicture_) {
        // The changed rows as the picture is scaled, widened by two picture rows on each side
        // (a smoothed screen row mixes its neighbours in the picture) and a screen row for the
        // rounding; a fitted picture's margins stay as they are.
        const QRect shown = picture_->shown();
        const double scale = static_cast<double>(shown.height()) / drawingSize_.height();
        const int top = shown.top() + static_cast<int>(std::floor((first - 2) * scale)) - 1;
        const int bottom = shown.top() + static_cast<int>(std::ceil((last + 2) * scale)) + 1;
        picture_->update(QRect(shown.left(), top, shown.width(), bottom - top) & shown);
    } else {
        picture_->update(QRect(0, first, drawingSize_.width(), last - first));
    }
    capture_->AfterRedraw(composedPicture(), drawingSize_);
}

void ScopeView::ComposePicture() {
    CaptureStore& store = context_.captureStore;
    const KeyTable& keyTable = context_.keyTable;
    state_.scopeMode = scopeMode();
    if (state_.scopeMode == kScopeNone) {
        return;
    }
    // What a screen reader says of the picture: which scope it shows.
    QString described = state_.scopeMode == kScopeWave        ? tr("Waveform")
                        : state_.scopeMode == kScopeFrequency ? tr("Spectrum on a frequency scale")
                                                              : tr("Spectrum on the piano keys");
    if (state_.threeD && state_.scopeMode != kScopeWave) {
        described = tr("%1, in 3-D").arg(described);
    }
    if (picture_->accessibleDescription() != described) {
        picture_->setAccessibleDescription(described);
    }
    state_.logarithmOption = keyTable.logarithmOption.load(std::memory_order_relaxed);
    for (int k = 0; k < kKeyCount; ++k) {
        state_.pitchLineColors[k] = keyTable.pitchLineColors[k].load(std::memory_order_relaxed);
    }
    const PlayerState player = context_.engine.Player();
    state_.secondTrace = ShowsSecondTrace(channelCount(), player.playing, player.channels);
    if (scaleDirty_) {
        renderer_.MarkScaleDirty();
        scaleDirty_ = false;
    }
    const ScopeInput input{{store.channel1History, store.channel2History, trigger_.waveEnd},
                           store.spectrum.latest().spectrum};
    if (state_.scopeMode == kScopeWave) {
        // The trace reads the histories; a producer must not shift them meanwhile.
        std::lock_guard lock(store.historyLock);
        renderer_.Draw(state_, keyTable, input);
    } else {
        renderer_.Draw(state_, keyTable, input);
    }
    ++redrawCount_;
}

void ScopeView::OnViewWake() {
    using namespace std::chrono_literals;
    CaptureStore& store = context_.captureStore;
    // Drained first: a block or spectrum that comes while this one is drawn wakes the view again.
    store.viewWake.Drain();
    switch (scopeMode()) {
        case kScopeWave:
            if (store.micDataEvent.wait(0ms)) {
                AlignWaveFrame(trigger_, store);
                RedrawNow();
            }
            break;
        case kScopeFrequency:
        case kScopePitch:
            if (store.finishedFftEvent.wait(0ms)) {
                FeedToolWindows(store.spectrum.acquire());
                RedrawNow();
                if (toneWindowShown_ != 0 && toneWindow_ != nullptr) {
                    toneWindow_->update();
                }
            }
            break;
        default:
            break;
    }
}

void ScopeView::OpenFile(const QString& path) {
    emit fileOpenRequested(path);
    // The command owns its copy of the path.
    context_.engine.OpenFile(QFile::encodeName(path).toStdString(), &playerReports_);
}

void ScopeView::OnViewOpenFile(const QString& path) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    OpenFile(path);
    QApplication::restoreOverrideCursor();
}

int32_t ScopeView::StepHz() const {
    return spanTable[state_.spanIndex] / 10;
}

int32_t ScopeView::AlignedStart() const {
    const int32_t step = StepHz();
    return (state_.startFrequency / step) * step;
}

void ScopeView::SetFrequencyWindow(int32_t spanIndex, int32_t startFrequency) {
    state_.spanIndex = spanIndex;
    state_.startFrequency = startFrequency;
    MarkScaleDirty();
}

bool ScopeView::HandlesCommand(int id) const {
    if (capture_->HandlesCommand(id) || tools_->HandlesCommand(id) || IsSoundDialogCommand(id)) {
        return true;
    }
    if (id == ID_PITCH_MARKING || id == ID_FIT_PICTURE || id == ID_KEEP_ASPECT) {
        return true;
    }
    switch (id) {
        case ID_WAVE_SHAPE:
        case ID_FREQUENCY_SCALE:
        case ID_PITCH_SCALE:
        case ID_THREE_D:
        case ID_LOGARITHM:
        case ID_VERT_ZOOM_IN:
        case ID_VERT_ZOOM_OUT:
        case ID_HOR_ZOOM_IN:
        case ID_HOR_ZOOM_OUT:
        case ID_WATCH_RIGHT:
        case ID_WATCH_LEFT:
        case ID_SELECT_NOTATION:
        case ID_HALF_TONE_UP:
        case ID_HALF_TONE_DOWN:
        case ID_NO_TRANSPOSITION:
        case ID_MIC_MONO:
        case ID_MIC_STEREO:
        case ID_FUNDAMENTAL_TONE:
        case ID_SET_PARAMETERS:
        case ID_PRECISE_PITCH:
        case ID_PITCH_TRACK:
            return true;
        default:
            return id >= ID_KEY_C && id <= ID_KEY_B;
    }
}

void ScopeView::UpdateCommand(int id, CommandState& state) {
    if (capture_->HandlesCommand(id)) {
        capture_->UpdateCommand(id, state);
        return;
    }
    if (tools_->HandlesCommand(id)) {
        tools_->UpdateCommand(id, state);
        return;
    }
    if (id == ID_PITCH_MARKING) {
        state.enabled = scopeMode() == kScopePitch;
        return;
    }
    if (IsSoundDialogCommand(id)) {
        return;  // always enabled, never checked
    }
    const int32_t mode = scopeMode();
    const bool spectrum = mode == kScopeFrequency || mode == kScopePitch;
    const bool pitch = mode == kScopePitch;
    switch (id) {
        case ID_WAVE_SHAPE:
            state.checked = mode == kScopeWave;
            return;
        case ID_FREQUENCY_SCALE:
            state.checked = mode == kScopeFrequency;
            return;
        case ID_PITCH_SCALE:
            state.checked = mode == kScopePitch;
            return;
        case ID_THREE_D:
            state.enabled = spectrum;
            state.checked = state_.threeD;
            return;
        case ID_FIT_PICTURE:
            state.checked = fitPicture_;
            return;
        case ID_KEEP_ASPECT:
            state.enabled = fitPicture_;
            state.checked = keepAspect_;
            return;
        case ID_LOGARITHM:
            state.enabled = spectrum;
            // The spectrum is drawn logarithmic only for 1 (a stored 2 draws linear).
            state.checked = context_.keyTable.logarithmOption.load(std::memory_order_relaxed) == 1;
            return;
        case ID_VERT_ZOOM_IN:
            state.enabled = state_.levelIndex < 6;
            return;
        case ID_VERT_ZOOM_OUT:
            state.enabled = state_.levelIndex > 0;
            return;
        case ID_HOR_ZOOM_IN:
            state.enabled = (mode == kScopeWave && state_.waveZoomIndex > 0) ||
                            (mode == kScopeFrequency && state_.spanIndex > 0);
            return;
        case ID_HOR_ZOOM_OUT:
            state.enabled = (mode == kScopeWave && state_.waveZoomIndex < 7) ||
                            (mode == kScopeFrequency && state_.spanIndex < 3);
            return;
        case ID_WATCH_RIGHT:
            state.enabled = mode == kScopeFrequency &&
                            AlignedStart() + spanTable[state_.spanIndex] < kMaxScaleFrequency;
            return;
        case ID_WATCH_LEFT:
            state.enabled = mode == kScopeFrequency && AlignedStart() - StepHz() >= 0;
            return;
        case ID_SELECT_NOTATION:
        case ID_HALF_TONE_UP:
        case ID_HALF_TONE_DOWN:
        case ID_NO_TRANSPOSITION:
            state.enabled = pitch;
            return;
        case ID_MIC_MONO:
            state.enabled = mode >= kScopeWave;
            state.checked = channelCount() == 1;
            return;
        case ID_MIC_STEREO:
            state.enabled = mode >= kScopeWave;
            state.checked = channelCount() == 2;
            return;
        case ID_FUNDAMENTAL_TONE:
            state.enabled = spectrum;
            state.checked = toneWindowShown_ != 0;
            return;
        case ID_PRECISE_PITCH:
            state.checked = context_.keyTable.pitchMethod.load(std::memory_order_relaxed) ==
                            kPitchMethodPrecise;
            return;
        case ID_PITCH_TRACK:
            state.checked = trackWindowShown_;
            return;
        default:
            if (id >= ID_KEY_C && id <= ID_KEY_B) {
                state.enabled = pitch;
                state.checked = id == state_.keyIndex + ID_KEY_C;
            }
            return;
    }
}

void ScopeView::HandleCommand(int id) {
    if (capture_->HandlesCommand(id)) {
        capture_->HandleCommand(id);
        return;
    }
    if (tools_->HandlesCommand(id)) {
        tools_->HandleCommand(id);
        return;
    }
    if (id == ID_PITCH_MARKING) {
        // The marks show on the scale after OK, even when nothing was changed: one picture,
        // so the 3-D history takes one step. A Cancel has put the colours back as they were
        // and draws nothing.
        if (RunPitchMarking(context_.keyTable, window())) {
            MarkScaleDirty();
            RedrawNow();
        }
        return;
    }
    if (IsSoundDialogCommand(id)) {
        OnSoundDialogCommand(id);
        return;
    }
    const int32_t mode = scopeMode();
    switch (id) {
        case ID_WAVE_SHAPE:
            SwitchMode(kScopeWave);
            return;
        case ID_FREQUENCY_SCALE:
            SwitchMode(kScopeFrequency);
            return;
        case ID_PITCH_SCALE:
            SwitchMode(kScopePitch);
            return;
        case ID_FIT_PICTURE:
        case ID_KEEP_ASPECT:
            (id == ID_FIT_PICTURE ? fitPicture_ : keepAspect_) ^= true;
            SaveViewInt(context_.settings, "FitPicture", fitPicture_ ? 1 : 0);
            SaveViewInt(context_.settings, "KeepAspect", keepAspect_ ? 1 : 0);
            ApplyPictureFit();
            if (!fitPicture_) {
                FitFrameToView();  // back to the picture at its pixel size, whole if it fits
            }
            return;
        case ID_THREE_D:
            state_.threeD = !state_.threeD;
            MarkScaleDirty();
            renderer_.ClearTraces({kSurfaceWidth, kSurfaceHeight});
            break;
        case ID_LOGARITHM: {
            auto& option = context_.keyTable.logarithmOption;
            const int32_t value = option.load(std::memory_order_relaxed) == 1 ? 0 : 1;
            option.store(value, std::memory_order_relaxed);
            SaveLogarithm(context_.settings, value);
            MarkScaleDirty();
            break;
        }
        case ID_VERT_ZOOM_IN:
            if (state_.levelIndex < 6) {
                ++state_.levelIndex;
                MarkScaleDirty();
            }
            break;
        case ID_VERT_ZOOM_OUT:
            if (state_.levelIndex > 0) {
                --state_.levelIndex;
                MarkScaleDirty();
            }
            break;
        case ID_HOR_ZOOM_IN:
            if (mode == kScopeWave && state_.waveZoomIndex > 0) {
                --state_.waveZoomIndex;
                MarkScaleDirty();
            } else if (mode == kScopeFrequency && state_.spanIndex > 0) {
                --state_.spanIndex;
                state_.startFrequency = AlignedStart();
                MarkScaleDirty();
            }
            break;
        case ID_HOR_ZOOM_OUT:
            if (mode == kScopeWave && state_.waveZoomIndex < 7) {
                ++state_.waveZoomIndex;
                MarkScaleDirty();
            } else if (mode == kScopeFrequency && state_.spanIndex < 3) {
                ++state_.spanIndex;
                state_.startFrequency = AlignedStart();
                const int32_t span = spanTable[state_.spanIndex];
                if (state_.startFrequency + span > kMaxScaleFrequency) {
                    state_.startFrequency = kMaxScaleFrequency - span;
                }
                MarkScaleDirty();
            }
            break;
        case ID_WATCH_RIGHT:
            if (mode == kScopeFrequency &&
                AlignedStart() + spanTable[state_.spanIndex] < kMaxScaleFrequency) {
                state_.startFrequency = AlignedStart() + StepHz();
                MarkScaleDirty();
            }
            break;
        case ID_WATCH_LEFT:
            if (mode == kScopeFrequency && AlignedStart() - StepHz() >= 0) {
                state_.startFrequency = AlignedStart() - StepHz();
                MarkScaleDirty();
            }
            break;
        case ID_SELECT_NOTATION:
            ++state_.notationCounter;
            MarkScaleDirty();
            break;
        case ID_HALF_TONE_UP:
            state_.keyIndex = (state_.keyIndex + 1) % 12;
            MarkScaleDirty();
            break;
        case ID_HALF_TONE_DOWN:
            state_.keyIndex = (state_.keyIndex + 11) % 12;
            MarkScaleDirty();
            break;
        case ID_NO_TRANSPOSITION:
            state_.keyIndex = 0;
            MarkScaleDirty();
            break;
        case ID_MIC_MONO:
        case ID_MIC_STEREO: {
            const int32_t count = id == ID_MIC_MONO ? 1 : 2;
            if (channelCount() != count) {
                context_.captureStore.channelCount.store(count, std::memory_order_relaxed);
                context_.engine.ReopenMicrophone();
            }
            return;
        }
        case ID_FUNDAMENTAL_TONE:
            ToggleToneWindow();
            return;
        case ID_PRECISE_PITCH:
            TogglePrecisePitch();
            return;
        case ID_PITCH_TRACK:
            TogglePitchTrack();
            return;
        case ID_SET_PARAMETERS:
            RunSetParameters(context_, *capture_, this);
            MarkScaleDirty();
            break;
        default:
            if (id >= ID_KEY_C && id <= ID_KEY_B) {
                state_.keyIndex = id - ID_KEY_C;
                MarkScaleDirty();
                SaveKey(context_.settings, state_.keyIndex);
            }
            break;
    }
    // The new scale shows at once, also when no sound arrives.
    RedrawNow();
}

// --- The metronome's and the signal generator's dialogs -----------------------------------------

SignalGeneratorDialog* ScopeView::signalDialog() const {
    return signalDialog_.data();
}

MetronomeDialog* ScopeView::metronomeDialog() const {
    return metronomeDialog_.data();
}

HeardBeat ScopeView::HeardMetronomeBeat() const {
    return context_.engine.CurrentHeardBeat();
}

bool ScopeView::IsSoundDialogCommand(int id) {
    return id == ID_METRONOME_SET || id == ID_SIGNAL_GENERATOR;
}

void ScopeView::OnSoundDialogCommand(int id) {
    if (id == ID_METRONOME_SET) {
        // Not modal: the click goes on while the user records, plays or uses the menus. Made
        // once; later uses show it again with what the controls hold then.
        if (metronomeDialog_.isNull()) {
            metronomeDialog_ = new MetronomeDialog(context_.controls, &context_.engine, window());
            metronomeDialog_->SetBeatSource([this] { return HeardMetronomeBeat(); });
        }
        metronomeDialog_->show();
        metronomeDialog_->raise();
        metronomeDialog_->activateWindow();
        return;
    }
    // Made once; later uses only show it again, with the values it had.
    if (signalDialog_.isNull()) {
        signalDialog_ = new SignalGeneratorDialog(context_, this);
    }
    signalDialog_->show();
    signalDialog_->raise();
    signalDialog_->activateWindow();
}

void ScopeView::ToggleToneWindow() {
    toneWindowShown_ = toneWindowShown_ != 0 ? 0 : 1;
    if (toneWindowShown_ != 0) {
        if (toneWindow_ == nullptr) {
            toneWindow_ = new FundamentalToneWindow(
                context_.keyTable,
                [this] { return context_.captureStore.spectrum.latest().fundamentalHz; },
                context_.language,
                this);
            connect(toneWindow_,
                    &FundamentalToneWindow::closedByUser,
                    this,
                    &ScopeView::OnToneWindowClosed);
            toneWindow_->tuner().SetSmoothing(tunerSmoothing_);
            connect(toneWindow_, &FundamentalToneWindow::smoothingChanged, this, [this](bool on) {
                tunerSmoothing_ = on;
                SaveViewInt(context_.settings, "TunerSmoothing", on ? 1 : 0);
            });
            PlaceToneWindow();
        }
        toneWindow_->show();
    } else if (toneWindow_ != nullptr) {
        toneWindow_->hide();
    }
}

void ScopeView::PlaceToneWindow() {
    QWidget* frame = Frame();
    if (frame == nullptr || frame->screen() == nullptr) {
        return;
    }
    // Beside the scope rather than over it: under the frame's right end, else above it, else
    // over the top right corner of the picture.
    const QRect screen = frame->screen()->availableGeometry();
    const QRect f = frame->frameGeometry();
    const QSize size = toneWindow_->frameGeometry().size().expandedTo(toneWindow_->size());
    const int gap = 8;
    const int x = std::max(screen.left(), f.right() - size.width());
    if (f.bottom() + gap + size.height() <= screen.bottom()) {
        toneWindow_->move(x, f.bottom() + gap);
    } else if (f.top() - gap - size.height() >= screen.top()) {
        toneWindow_->move(x, f.top() - gap - size.height());
    } else {
        toneWindow_->move(x - 40, f.top() + 80);
    }
}

void ScopeView::FeedToolWindows(const SpectrumFrame& frame) {
    const bool tone = toneWindowShown_ != 0 && toneWindow_ != nullptr;
    const bool track = trackWindowShown_ && trackWindow_ != nullptr;
    if (!tone && !track) {
        return;
    }
    const PitchReading reading = ReadPitch(frame, context_.keyTable);
    if (tone) {
        toneWindow_->AddReading(reading);
    }
    if (track) {
        trackWindow_->SetNames(state_.keyIndex, state_.notationCounter % 4);
        trackWindow_->AddReading(frame.sequence, reading);
    }
}

void ScopeView::TogglePrecisePitch() {
    auto& method = context_.keyTable.pitchMethod;
    const int32_t value = method.load(std::memory_order_relaxed) == kPitchMethodPrecise
                              ? kPitchMethodStandard
                              : kPitchMethodPrecise;
    method.store(value, std::memory_order_relaxed);
    SaveViewInt(context_.settings, "PitchMethod", value);
    if (toneWindow_ != nullptr) {
        toneWindow_->FitToMethod();
        toneWindow_->update();
    }
    if (trackWindow_ != nullptr) {
        trackWindow_->Clear();  // the two methods' blocks do not belong on one track
    }
}

void ScopeView::TogglePitchTrack() {
    trackWindowShown_ = !trackWindowShown_;
    if (trackWindowShown_) {
        if (trackWindow_ == nullptr) {
            trackWindow_ =
                new PitchTrackWindow(context_.keyTable, context_.notifier, trackSpan_, this);
            trackWindow_->resize(trackSize_);
            connect(trackWindow_, &PitchTrackWindow::closedByUser, this, [this] {
                trackWindowShown_ = false;
                SavePitchTrackState();
            });
            connect(trackWindow_, &PitchTrackWindow::spanChanged, this, [this](int seconds) {
                trackSpan_ = seconds;
                SaveViewInt(context_.settings, "PitchTrackSpan", seconds);
            });
        }
        trackWindow_->show();
        trackWindow_->raise();
    } else if (trackWindow_ != nullptr) {
        trackWindow_->hide();
    }
    SavePitchTrackState();
}

void ScopeView::SavePitchTrackState() {
    if (trackWindow_ != nullptr) {
        trackSize_ = trackWindow_->size();
    }
    SaveViewInt(context_.settings, "PitchTrackShown", trackWindowShown_ ? 1 : 0);
    SaveViewInt(context_.settings, "PitchTrackWidth", trackSize_.width());
    SaveViewInt(context_.settings, "PitchTrackHeight", trackSize_.height());
}

void ScopeView::OnToneWindowClosed() {
    // Closing the window by its close box switches it off, so the check mark tells the truth.
    toneWindowShown_ = 0;
}

std::unique_ptr<QMenu> ScopeView::CreateKeySelectMenu() {
    if (scopeMode() != kScopePitch) {
        return nullptr;
    }
    auto menu = std::make_unique<QMenu>(tr("KeySelect"));
    for (int k = 0; k < kKeyCountInMenu; ++k) {
        QAction* action = menu->addAction(KeySelectText(k));
        action->setCheckable(true);
        action->setChecked(k == state_.keyIndex);
        const int id = ID_KEY_C + k;
        connect(action, &QAction::triggered, this, [this, id] {
            CommandState state;
            UpdateCommand(id, state);
            if (state.enabled) {
                HandleCommand(id);
            }
        });
    }
    return menu;
}

void ScopeView::contextMenuEvent(QContextMenuEvent* event) {
    if (std::unique_ptr<QMenu> menu = CreateKeySelectMenu()) {
        menu->exec(event->globalPos());
    }
}

bool ScopeView::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == picture_ || watched == viewport()) && event->type() == QEvent::MouseMove) {
        const auto* move = static_cast<QMouseEvent*>(event);
        QPoint p = static_cast<QWidget*>(watched)->mapTo(viewport(), move->position().toPoint());
        if (fitPicture_) {
            // The scaled picture fills the viewport (no scrolling): back to its own pixels.
            p = FittedToPicture(p, picture_->shown(), drawingSize_);
        }
        UpdateCursor(p);
        OnMouseMove(p);
    }
    return QScrollArea::eventFilter(watched, event);
}

void ScopeView::UpdateCursor(QPoint p) {
    if (scopeMode() == kScopePitch && OverPitchLine(p.x(), p.y(), ScrollX())) {
        picture_->setCursor(Qt::PointingHandCursor);
    } else {
        picture_->unsetCursor();
    }
}

void ScopeView::OnMouseMove(QPoint p) {
    if (scopeMode() != kScopeFrequency || Frame() == nullptr) {
        return;
    }
    if (const auto hz = FrequencyAt(p.x() + ScrollX(), state_.spanIndex, state_.startFrequency)) {
        emit messageString(QStringLiteral("%1HZ").arg(*hz));
    }
}

}  // namespace tonavise::ui
