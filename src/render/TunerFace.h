// The tuner's face: the note named large enough to read from the music stand, its cents as a
// number and on a needle over ±50 cents (or on a strobe's bands), the frequency, and whether
// it is in tune, said by shape and words as well as by colour: "♭ flat" with an arrow pointing
// up the scale, "in tune" with a ring, "sharp ♯" with an arrow pointing down.
//
// Plain data in, a QImage out: the window draws the image, the tests and the tool look at it.
//
// Threads: whichever thread owns the surface.
#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <map>

namespace tonavise {

struct TunerFaceTexts {
    QString flat = QStringLiteral("\u266D flat");
    QString inTune = QStringLiteral("in tune");
    QString sharp = QStringLiteral("sharp \u266F");
    QString noPitch = QStringLiteral("\u2014");  // shown where a note would be
    QString cents = QStringLiteral("cents");
};

struct TunerFaceState {
    bool hasPitch = false;
    // The pitch shown is the last one heard (a breath, a bow change): drawn greyed.
    bool held = false;
    QString note;        // "A", "F♯"
    QString octave;      // "4"
    QString mark;        // under the note: "B♭ instrument", a string's name; empty for none
    double cents = 0.0;  // the number and the needle, the same value
    double hz = 0.0;
    double inTuneCents = 3.0;
    bool strobe = false;
    double strobeBands = 0.0;  // bands moved: their place, not a speed
    TunerFaceTexts texts;
};

// Which of the three words applies.
enum class TuneVerdict { Flat, InTune, Sharp };
TuneVerdict VerdictOf(double cents, double inTuneCents);

// What a face keeps between pictures: the note drawn large (the costliest part), for as long as
// the note, its colour and the size stay.
struct TunerFaceCache {
    QString noteKey;
    QImage note;
    // Parts that change only with the size or a setting: the scale under the needle, the row
    // of words in each of its four states.
    std::map<QString, QImage> layers;
};

// Draws the face over the whole surface (any size from about 200 x 240), or only the part in
// `clip` when one is given (the rest of the surface keeps the last picture); with a cache, the
// note is drawn only when it changes.
void DrawTunerFace(const TunerFaceState& state,
                   QImage& surface,
                   TunerFaceCache* cache = nullptr,
                   const QRect& clip = QRect());

// The pixel size of the note's letter for a surface: at least 72 at the dock's default size.
int TunerNoteSize(const QSize& surface);

}  // namespace tonavise
