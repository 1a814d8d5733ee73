// The list of the 88 keys in the pitch marking dialog. Every item is drawn by the list itself:
// the key's long name in dark grey, drawn twice a pixel apart so that it reads bold, and a
// swatch of the key's mark colour in the right half. A click selects a key and steps its mark
// colour to the next code, a double click clears it; the changes go straight into the pitch
// model's colour table. There is no selection highlight: the swatch is the only state shown.
//
// Keyboard: the arrow keys, Page Up/Down, Home and End move the selection; Space steps the
// selected key's colour as a click does and Delete clears it as a double click does.
//
// Threads: user-interface thread only.
#pragma once

#include <QColor>
#include <QListWidget>
#include <QRect>
#include <QString>
#include <cstdint>

class QPainter;

namespace tonavise {
class KeyTable;
}

namespace tonavise::ui {

// Colours of the list's items.
inline constexpr QRgb kPitchItemBackground = 0xFFFFFFFF;
inline constexpr QRgb kPitchItemTopLine = 0xFFFFFFFF;
inline constexpr QRgb kPitchItemBottomLine = 0xFF707070;  // (112, 112, 112)
inline constexpr QRgb kPitchItemText = 0xFF404040;        // (64, 64, 64)

// An item is a line of text in the list's font and this many pixels more.
inline constexpr int kPitchItemExtraHeight = 4;

// The swatch of a mark colour code: 255 in each of red, green and blue whose bit (0, 1, 2) is
// set. Higher bits do not count, so an unmarked key (7) shows white and code 0 black.
QColor SwatchColor(int32_t code);

// The code after one click: the low three bits stepped by one, 7 (unmarked) → 0 black → 1 red
// → ... → 6 cyan → 7. A stored code above 7 (or below 0) steps by its low bits; no overflow.
int32_t NextColorCode(int32_t code);

// Draws one item into `item`: white ground, the swatch from the middle to the right edge inset
// by 4 pixels at top and bottom, a white line on the second row and a grey line on the last,
// then the text left-aligned and centred vertically, twice (at the left edge and a pixel to the
// right of it). Nothing is drawn outside `item`. The painter's font is used.
void DrawPitchItem(QPainter& painter, const QRect& item, const QString& text, int32_t code);

class KeyMarkList : public QListWidget {
    Q_OBJECT
  public:
    explicit KeyMarkList(KeyTable& keyTable, QWidget* parent = nullptr);

    // The fixed item height: a line of text in the list's font and kPitchItemExtraHeight.
    int MeasureItem() const;
    int itemHeight() const { return itemHeight_; }

    // The first visible item, and scrolling so that `index` is first (as far as the list can
    // scroll).
    int TopIndex() const;
    void SetTopIndex(int index);

    // Repaints every visible item from the colour table.
    void InvalidateItems();

    KeyTable& keyTable() const { return keyTable_; }

  protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // The row of the item under `pos`, or -1 when there is none there.
    int RowAt(QPoint pos) const;
    void StepSelected();
    void ClearSelected();

    KeyTable& keyTable_;
    int itemHeight_ = 1;
};

}  // namespace tonavise::ui
