#include "render/ScopeRenderer.h"

#include <QPainter>
#include <algorithm>
#include <cstring>

#include "render/PitchScale.h"

namespace tonavise {

namespace {

// 3-D: each drawing moves the history this many rows up.
constexpr int kHistoryStep = 6;
// The history buffer's rows beyond one picture, in steps: 48 drawings (4.8 s) per copy back.
constexpr int kHistorySpareSteps = 48;
constexpr int kHistoryRows = kSurfaceHeight + kHistoryStep * kHistorySpareSteps;

}  // namespace

void CopyRows(QImage& dst, int dstY, const QImage& src, int srcY, DrawingSize size) {
    const int width = std::min({size.width, dst.width(), src.width()});
    const int rows = std::min({size.height, dst.height() - dstY, src.height() - srcY});
    if (width <= 0 || dstY < 0 || srcY < 0) {
        return;
    }
    const auto bytes = static_cast<std::size_t>(width) * 4;
    for (int y = 0; y < rows; ++y) {
        std::memcpy(dst.scanLine(dstY + y), src.constScanLine(srcY + y), bytes);
    }
}

namespace {

void AndRow(QRgb* __restrict dst, const QRgb* __restrict src, int n) {
    int x = 0;
    // Four pixels a step: the compiler turns each step into one vector operation.
    for (; x + 4 <= n; x += 4) {
        dst[x] &= src[x];
        dst[x + 1] &= src[x + 1];
        dst[x + 2] &= src[x + 2];
        dst[x + 3] &= src[x + 3];
    }
    for (; x < n; ++x) {
        dst[x] &= src[x];
    }
}

void AndRows(QRgb* __restrict dst, const QRgb* __restrict a, const QRgb* __restrict b, int n) {
    int x = 0;
    for (; x + 4 <= n; x += 4) {  // one vector operation a step, as in AndRow
        dst[x] = a[x] & b[x];
        dst[x + 1] = a[x + 1] & b[x + 1];
        dst[x + 2] = a[x + 2] & b[x + 2];
        dst[x + 3] = a[x + 3] & b[x + 3];
    }
    for (; x < n; ++x) {
        dst[x] = a[x] & b[x];
    }
}

}  // namespace

void AndInto(QImage& dst, const QImage& a, const QImage& b, DrawingSize size) {
    const int width = std::min({size.width, dst.width(), a.width(), b.width()});
    const int rows = std::min({size.height, dst.height(), a.height(), b.height()});
    for (int y = 0; y < rows; ++y) {
        AndRows(reinterpret_cast<QRgb*>(dst.scanLine(y)),
                reinterpret_cast<const QRgb*>(a.constScanLine(y)),
                reinterpret_cast<const QRgb*>(b.constScanLine(y)),
                width);
    }
}

void AndCombine(QImage& dst, const QImage& src, DrawingSize size) {
    AndCombineRows(dst, src, size.width, 0, size.height);
}

void AndCombineRows(QImage& dst, const QImage& src, int width, int firstRow, int lastRow) {
    width = std::min({width, dst.width(), src.width()});
    lastRow = std::min({lastRow, dst.height(), src.height()});
    for (int y = std::max(firstRow, 0); y < lastRow; ++y) {
        AndRow(reinterpret_cast<QRgb*>(dst.scanLine(y)),
               reinterpret_cast<const QRgb*>(src.constScanLine(y)),
               width);
    }
}

void AndCombineWithPainter(QImage& dst, const QImage& src, DrawingSize size) {
    QPainter painter(&dst);
    painter.setCompositionMode(QPainter::RasterOp_SourceAndDestination);
    painter.drawImage(QPoint(0, 0), src, QRect(0, 0, size.width, size.height));
}

void FillWhite(QImage& surface, DrawingSize size) {
    FillRect(surface, size.width, size.height, 0xFFFFFFFF);
}

ScopeRenderer::ScopeRenderer()
    : scaleSurface_(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32),
      history_(kSurfaceWidth, kHistoryRows, QImage::Format_RGB32),
      bottomRows_{QImage(kSurfaceWidth, kHistoryStep, QImage::Format_RGB32),
                  QImage(kSurfaceWidth, kHistoryStep, QImage::Format_RGB32)},
      composeSurface_(kSurfaceWidth, kSurfaceHeight, QImage::Format_RGB32) {
    // The scale surface is filled by its first drawing; white keeps it defined until then.
    const DrawingSize whole{kSurfaceWidth, kSurfaceHeight};
    FillWhite(scaleSurface_, whole);
    ClearTraces(whole);
}

void ScopeRenderer::PlaceTraceSurface(bool a, int firstRow) {
    (a ? rowA_ : rowB_) = firstRow;
    (a ? traceSurfaceA_ : traceSurfaceB_) = QImage(history_.scanLine(firstRow),
                                                   kSurfaceWidth,
                                                   kSurfaceHeight,
                                                   history_.bytesPerLine(),
                                                   QImage::Format_RGB32);
}

void ScopeRenderer::ClearTraces(DrawingSize size) {
    // The whole history: rows below a window become its bottom rows as the history moves.
    history_.fill(0xFFFFFFFFu);
    bottomRows_[0].fill(0xFFFFFFFFu);
    bottomRows_[1].fill(0xFFFFFFFFu);
    PlaceTraceSurface(false, 0);
    PlaceTraceSurface(true, kHistoryStep);
    FillWhite(composeSurface_, size);
    // Every drawing from now on stays within this size until the next clearing.
    traceRows_ = {0, 0};
    composeIsScaleAndOutline_ = false;
}

const QImage& ScopeRenderer::Draw(ScopeViewState& state,
                                  const KeyTable& keyTable,
                                  const ScopeInput& input) {
    if (state.scopeMode != kScopeWave && state.scopeMode != kScopeFrequency &&
        state.scopeMode != kScopePitch) {
        return composeSurface_;
    }
    if (scaleDirty_ || scaleMode_ != state.scopeMode) {
        DrawScale(state, keyTable);
        composeIsScaleAndOutline_ = false;
        scaleDirty_ = false;
        scaleMode_ = state.scopeMode;
    }
    if (state.scopeMode == kScopeWave) {
        ComposeWave(state, input);
    } else {
        ComposeSpectrum(state, keyTable, input);
    }
    return composeSurface_;
}

void ScopeRenderer::DrawScale(const ScopeViewState& state, const KeyTable& keyTable) {
    switch (state.scopeMode) {
        case kScopeWave:
            DrawWaveScale(scaleSurface_, state, recorder_);
            break;
        case kScopeFrequency:
            DrawFrequencyScale(scaleSurface_, state, recorder_);
            break;
        default:
            DrawPitchScale(scaleSurface_, keyTable, state, recorder_);
            break;
    }
}

void ScopeRenderer::ComposeWave(const ScopeViewState& state, const ScopeInput& input) {
    const DrawingSize size = DrawingSizeOf(kScopeWave);
    CopyRows(composeSurface_, 0, scaleSurface_, 0, size);
    DrawWaveTrace(composeSurface_, state, input.wave);
    composeIsScaleAndOutline_ = false;
    changedRows_ = {0, size.height};
}

std::pair<int, int> ScopeRenderer::DrawSpectrumTrace(QImage& target,
                                                     const ScopeViewState& state,
                                                     const KeyTable& keyTable,
                                                     const ScopeInput& input) {
    const bool frequency = state.scopeMode == kScopeFrequency;
    const int count = frequency
                          ? DrawFrequencyTrace(target, state, input.spectrum, frequencyTrace_)
                          : DrawPitchTrace(target, keyTable, state, input.spectrum, pitchTrace_);
    if (count < 2) {
        return {0, 0};
    }
    const TraceVertices& vertices = frequency ? frequencyTrace_.vertices : pitchTrace_.vertices;
    int top = vertices[0].y();
    int bottom = top;
    for (int i = 1; i < count; ++i) {
        top = std::min(top, vertices[static_cast<std::size_t>(i)].y());
        bottom = std::max(bottom, vertices[static_cast<std::size_t>(i)].y());
    }
    return {std::max(top, 0), std::max(bottom + 1, 0)};
}

void ScopeRenderer::ComposeSpectrum(ScopeViewState& state,
                                    const KeyTable& keyTable,
                                    const ScopeInput& input) {
    const DrawingSize size = DrawingSizeOf(state.scopeMode);
    if (!state.threeD) {
        const int first = std::max(traceRows_.first, 0);
        const int last = std::min(traceRows_.second, size.height);
        // Outside the last outline's rows the composed picture is still the scale.
        if (composeIsScaleAndOutline_) {
            CopyRows(composeSurface_, first, scaleSurface_, first, {size.width, last - first});
        } else {
            CopyRows(composeSurface_, 0, scaleSurface_, 0, size);
        }
        for (int y = first; y < last; ++y) {
            std::memset(traceSurfaceA_.scanLine(y), 0xFF, static_cast<std::size_t>(size.width) * 4);
        }
        traceRows_ = DrawSpectrumTrace(traceSurfaceA_, state, keyTable, input);
        traceRows_.second = std::min(traceRows_.second, size.height);
        AndCombineRows(
            composeSurface_, traceSurfaceA_, size.width, traceRows_.first, traceRows_.second);
        if (!composeIsScaleAndOutline_) {
            changedRows_ = {0, size.height};
        } else if (last <= first) {
            changedRows_ = traceRows_;
        } else if (traceRows_.second <= traceRows_.first) {
            changedRows_ = {first, last};
        } else {
            changedRows_ = {std::min(first, traceRows_.first), std::max(last, traceRows_.second)};
        }
        composeIsScaleAndOutline_ = true;
        return;
    }
    composeIsScaleAndOutline_ = false;
    changedRows_ = {0, size.height};
    traceRows_ = {0, kSurfaceHeight};  // the history fills both trace surfaces
    ++state.threeDCount;
    const bool odd = (state.threeDCount & 1) != 0;
    // The history moves up: the target's bottom rows keep what they held two drawings ago and
    // the new outline covers them.
    AdvanceHistory(odd, size);
    QImage& target = odd ? traceSurfaceA_ : traceSurfaceB_;
    DrawSpectrumTrace(target, state, keyTable, input);
    CopyRows(bottomRows_[odd ? 0 : 1],
             0,
             target,
             size.height - kHistoryStep,
             {size.width, kHistoryStep});
    // Every pixel changes: the scale and the history combine in one pass over the picture.
    AndInto(composeSurface_, scaleSurface_, target, size);
}

void ScopeRenderer::AdvanceHistory(bool targetIsA, DrawingSize size) {
    int sourceRow = targetIsA ? rowB_ : rowA_;
    if (sourceRow + kHistoryStep + kSurfaceHeight > kHistoryRows) {
        // The end of the buffer: the source's picture goes back to the top. Rows move to lower
        // addresses in ascending order, so an overlap never overwrites a row still to be read.
        const auto bytes = static_cast<std::size_t>(history_.bytesPerLine());
        for (int y = 0; y < kSurfaceHeight; ++y) {
            std::memmove(history_.scanLine(y), history_.constScanLine(sourceRow + y), bytes);
        }
        sourceRow = 0;
        PlaceTraceSurface(!targetIsA, 0);
    }
    PlaceTraceSurface(targetIsA, sourceRow + kHistoryStep);
    QImage& target = targetIsA ? traceSurfaceA_ : traceSurfaceB_;
    CopyRows(target,
             size.height - kHistoryStep,
             bottomRows_[targetIsA ? 0 : 1],
             0,
             {size.width, kHistoryStep});
}

}  // namespace tonavise
