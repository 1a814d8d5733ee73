// The pitch track: how the named pitch moved over time, for intonation practice. x is time, y
// is pitch on a cents axis with a line, a shaded ±10-cent band and a name for every key in
// view; one segment per pair of neighbouring analysis blocks, gaps where there is no pitch, and
// the newest block's key and cents at the right edge.
//
// Plain data in (the blocks, the range, the names' key and notation), a QImage out. The ring
// keeps the newest blocks in a fixed array, so a live track never grows.
//
// Threads: whichever thread owns the surface (the user-interface thread, or the tool's).
#pragma once

#include <QImage>
#include <QString>
#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tonavise {

class KeyTable;

// One analysis block: the end of its 100 ms, in seconds, and the pitch named (0: no pitch).
struct TrackPoint {
    double timeSeconds = 0.0;
    double hz = 0.0;
};

// The newest blocks, oldest first, in memory allocated once.
class PitchTrackRing {
  public:
    explicit PitchTrackRing(std::size_t capacity);
    void Push(TrackPoint point);
    void Clear();
    std::size_t Size() const { return size_; }
    std::size_t Capacity() const { return points_.size(); }
    // Point i, 0 the oldest kept.
    const TrackPoint& At(std::size_t i) const;
    const TrackPoint* Newest() const { return size_ == 0 ? nullptr : &At(size_ - 1); }
    // Copies the points into `out` (which keeps its capacity), oldest first.
    void CopyTo(std::vector<TrackPoint>& out) const;

  private:
    std::vector<TrackPoint> points_;
    std::size_t head_ = 0;  // the oldest
    std::size_t size_ = 0;
};

// The pitch of `hz` on the key axis: 48 is A4 at the table's A4, one unit a semitone.
double KeyPosition(double hz, double a4);

// The y range of the track in key positions.
struct KeyRange {
    double low = 45.0;
    double high = 52.0;
};

// Follows the played notes: the range that holds every pitch in view with a margin of a few
// semitones, reached smoothly (a part of the way per frame), and at least kMinSpan wide. When
// nothing in view has a pitch, it stays where it is.
class KeyRangeFollower {
  public:
    static constexpr double kMinSpan = 7.0;
    static constexpr double kMargin = 2.0;
    KeyRange Update(std::span<const TrackPoint> points, double a4);
    // Jumps to the target at once (a new file, a cleared track).
    void Reset() { started_ = false; }
    KeyRange Current() const { return range_; }

  private:
    KeyRange range_{};
    bool started_ = false;
};

struct PitchTrackView {
    double fromSeconds = 0.0;
    double toSeconds = 10.0;
    KeyRange keys{};
    int32_t keyIndex = 0;         // the key the relative names are counted from, 0..11
    int32_t notationCounter = 0;  // which relative names: numbered, solmisation, small, capital
    QString emptyNote;            // written in the middle when no block in view has a pitch
};

// Geometry of the picture, shared by the drawing and the tests.
struct PitchTrackLayout {
    static constexpr int kLeft = 76;   // key names left of the plot
    static constexpr int kRight = 96;  // the newest reading right of it
    static constexpr int kTop = 8;
    static constexpr int kBottom = 22;  // time labels under it
    int width = 0;
    int height = 0;
    int PlotLeft() const { return kLeft; }
    int PlotRight() const { return width - kRight; }  // exclusive
    int PlotTop() const { return kTop; }
    int PlotBottom() const { return height - kBottom; }  // exclusive
    // Pixel row of a key position and column of a time, in the view.
    int Y(double key, const KeyRange& keys) const;
    int X(double seconds, const PitchTrackView& view) const;
};

inline constexpr QRgb kTrackBackground = 0xFFFFFFFF;
inline constexpr QRgb kTrackBand = 0xFFDDF2DD;     // ±10 cents around a key
inline constexpr QRgb kTrackKeyLine = 0xFFA8A8A8;  // a key
inline constexpr QRgb kTrackCLine = 0xFF606060;    // each C, to find the octaves
inline constexpr QRgb kTrackTrace = 0xFF0050C8;
inline constexpr QRgb kTrackText = 0xFF000000;

// Draws the track of `points` (oldest first) over the whole surface.
void DrawPitchTrack(QImage& surface,
                    const KeyTable& keyTable,
                    std::span<const TrackPoint> points,
                    const PitchTrackView& view);

// The newest reading's text: "A4 +12" (key name and whole cents), or "" without a pitch.
QString TrackReading(double hz, const KeyTable& keyTable);

}  // namespace tonavise
