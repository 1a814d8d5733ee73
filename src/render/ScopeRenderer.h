// The scope's drawing surfaces and the composition of its pictures: the cached scale of the
// current mode (redrawn only when it is dirty), the spectrum trace surfaces that also hold the
// 3-D history, and the surface where each picture is composed. The live view, the screen
// capturer and the command-line tool all draw through this class, so they show the same
// pictures.
//
// Threads: the user-interface thread (or the command-line tool's one thread). Needs a
// QGuiApplication for its fonts.
#pragma once

#include <QImage>
#include <utility>

#include "render/ScopeCanvas.h"
#include "render/ScopeState.h"
#include "render/SpectrumScope.h"
#include "render/WaveScope.h"

namespace tonavise {

class KeyTable;

// The data one picture shows: the histories with the trigger's waveEnd (waveform) and the
// latest spectrum (spectrum modes).
struct ScopeInput {
    WaveTraceInput wave;
    SpectrumSpan spectrum;
};

class ScopeRenderer {
  public:
    // The 1821 x 471 RGB32 surfaces, created once; the trace and compose surfaces start white.
    ScopeRenderer();
    ScopeRenderer(const ScopeRenderer&) = delete;
    ScopeRenderer& operator=(const ScopeRenderer&) = delete;

    // Any change of what the scale shows: it is redrawn at the next Draw.
    void MarkScaleDirty() { scaleDirty_ = true; }
    bool ScaleDirty() const { return scaleDirty_; }

    // Fills the two trace surfaces and the compose surface white over `size` from (0, 0): a
    // switch to a spectrum mode (its drawingSize) and the 3-D command (the whole surface) start
    // with an empty history this way.
    void ClearTraces(DrawingSize size);

    // One drawing of the current mode: the scale when dirty, then the composed picture, whose
    // drawingSize rectangle from (0, 0) is the picture to show. In 3-D every call advances the
    // history by one step and state.threeDCount by one. Mode -1 draws nothing.
    const QImage& Draw(ScopeViewState& state, const KeyTable& keyTable, const ScopeInput& input);

    // Labels drawn by the scale drawings go to `recorder` as well (tests); null stops that.
    void SetLabelRecorder(LabelRecorder* recorder) { recorder_ = recorder; }

    // The surfaces, for showing and for tests. QImage shares its pixels on copy: keep a
    // reference, or copy() the rectangle needed, so that the next drawing need not detach.
    // The two trace surfaces are windows onto one history buffer (see history_): the surface
    // drawn last is exact; the other one is exact only until the next drawing.
    const QImage& scaleSurface() const { return scaleSurface_; }
    const QImage& traceSurfaceA() const { return traceSurfaceA_; }
    const QImage& traceSurfaceB() const { return traceSurfaceB_; }
    const QImage& composeSurface() const { return composeSurface_; }

    // The rows [first, last) of the composed picture that the last Draw may have changed: in
    // the 2-D spectrum modes only the old and the new outline's rows, so that the window need
    // not copy the unchanged rest of the picture ten times a second.
    std::pair<int, int> changedRows() const { return changedRows_; }

  private:
    void DrawScale(const ScopeViewState& state, const KeyTable& keyTable);
    void ComposeWave(const ScopeViewState& state, const ScopeInput& input);
    void ComposeSpectrum(ScopeViewState& state, const KeyTable& keyTable, const ScopeInput& input);
    // Draws the trace of the mode; returns the rows [first, last) its polygon covers.
    std::pair<int, int> DrawSpectrumTrace(QImage& target,
                                          const ScopeViewState& state,
                                          const KeyTable& keyTable,
                                          const ScopeInput& input);

    // Points trace surface A or B at `firstRow` of history_.
    void PlaceTraceSurface(bool a, int firstRow);
    // 3-D: the target of this drawing holds the other surface's picture moved up by the history
    // step, and its own bottom rows of the picture (`size`) as they were after its previous
    // drawing.
    void AdvanceHistory(bool targetIsA, DrawingSize size);

    QImage scaleSurface_;
    // The 3-D history moves up a step at each drawing. Rather than copying the whole picture up
    // ten times a second, both trace surfaces are windows onto this taller buffer, and the
    // window of each drawing starts a step lower than the one before: the rows the two share
    // are the moved history. Only when the window reaches the end is the picture copied back
    // to the top, once in kHistorySpareSteps drawings.
    QImage history_;
    int rowA_ = 0;  // the first row of history_ that trace surface A shows
    int rowB_ = 0;
    // The bottom rows of each trace surface after its last 3-D drawing ([0]: A, [1]: B): a
    // surface's new bottom rows hold what they held then.
    QImage bottomRows_[2];
    QImage traceSurfaceA_;
    QImage traceSurfaceB_;
    QImage composeSurface_;
    bool scaleDirty_ = true;
    int32_t scaleMode_ = kScopeNone;  // the mode whose scale scaleSurface_ holds
    SpectrumTrace frequencyTrace_;
    SpectrumTrace pitchTrace_;
    LabelRecorder* recorder_ = nullptr;
    // The rows [first, last) of traceSurfaceA_ that may hold more than white. In 2-D only the
    // rows of the last outline are cleared and only those of the new one are combined: most of
    // the picture lies above a spectrum's peaks.
    std::pair<int, int> traceRows_{0, kSurfaceHeight};
    // composeSurface_ is the scale with the 2-D outline of traceRows_ over it, so a 2-D
    // drawing needs to restore only those rows; any other drawing clears this.
    bool composeIsScaleAndOutline_ = false;
    std::pair<int, int> changedRows_{0, kSurfaceHeight};
};

// Pixel operations on RGB32 surfaces of equal size, rectangles from x = 0 and clipped to both.
// Copies rows srcY.. of src to rows dstY.. of dst, `size` wide and high.
void CopyRows(QImage& dst, int dstY, const QImage& src, int srcY, DrawingSize size);
// dst := a AND b per channel over `size` from (0, 0): a copy and a combination in one pass.
void AndInto(QImage& dst, const QImage& a, const QImage& b, DrawingSize size);
// dst := dst AND src per channel over `size` from (0, 0).
void AndCombine(QImage& dst, const QImage& src, DrawingSize size);
// The same over rows [firstRow, lastRow), `width` wide.
void AndCombineRows(QImage& dst, const QImage& src, int width, int firstRow, int lastRow);
void AndCombineWithPainter(QImage& dst, const QImage& src, DrawingSize size);
void FillWhite(QImage& surface, DrawingSize size);

}  // namespace tonavise
