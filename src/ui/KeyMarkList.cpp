#include "ui/KeyMarkList.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include "engine/dsp/KeyTable.h"

namespace tonavise::ui {

namespace {

// Draws every item from the colour table whatever its state: selection, focus and hovering
// show nothing of their own.
class PitchItemDelegate final : public QStyledItemDelegate {
  public:
    explicit PitchItemDelegate(KeyMarkList& list) : QStyledItemDelegate(&list), list_(list) {}

    void paint(QPainter* painter,
               const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const int row = index.row();
        const int32_t code =
            row >= 0 && row < kKeyCount
                ? list_.keyTable().pitchLineColors[row].load(std::memory_order_relaxed)
                : kColorUnmarked;
        painter->save();
        painter->setFont(option.font);
        DrawPitchItem(*painter, option.rect, index.data(Qt::DisplayRole).toString(), code);
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const override {
        return {1, list_.itemHeight()};
    }

  private:
    KeyMarkList& list_;
};

}  // namespace

QColor SwatchColor(int32_t code) {
    return QColor((code & 1) != 0 ? 255 : 0, (code & 2) != 0 ? 255 : 0, (code & 4) != 0 ? 255 : 0);
}

int32_t NextColorCode(int32_t code) {
    // (code + 1) & 7 on the low bits alone, which is the same for every code that does not
    // overflow and defined for those that would.
    return ((code & 7) + 1) & 7;
}

void DrawPitchItem(QPainter& painter, const QRect& item, const QString& text, int32_t code) {
    painter.save();
    painter.setClipRect(item, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.fillRect(item, QColor::fromRgb(kPitchItemBackground));

    // The rectangle's edges as the item's first column and row and the ones just past it.
    const int left = item.left();
    const int top = item.top();
    const int right = left + item.width();
    const int bottom = top + item.height();

    const int middle = (left + right) / 2;
    const QRect swatch(middle, top + 4, right - middle, bottom - 4 - (top + 4));
    if (swatch.isValid()) {
        painter.fillRect(swatch, SwatchColor(code));
    }

    // The lines along the edges of the rectangle inset by one row at the top and the bottom: the
    // top line on the item's second row, the bottom line on its last row, each from the left
    // edge up to (not including) the right one.
    const int lineTop = top + 1;
    const int lineBottom = bottom - 1;
    if (right > left) {
        painter.fillRect(QRect(left, lineTop, right - left, 1), QColor::fromRgb(kPitchItemTopLine));
        painter.fillRect(QRect(left, lineBottom, right - left, 1),
                         QColor::fromRgb(kPitchItemBottomLine));
    }

    painter.setPen(QColor::fromRgb(kPitchItemText));
    painter.setBackgroundMode(Qt::TransparentMode);
    const int flags = Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine;
    painter.drawText(item, flags, text);
    painter.drawText(item.adjusted(1, 0, 0, 0), flags, text);
    painter.restore();
}

KeyMarkList::KeyMarkList(KeyTable& keyTable, QWidget* parent)
    : QListWidget(parent), keyTable_(keyTable) {
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setUniformItemSizes(true);
    setSortingEnabled(false);
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(false);
    // The hand over the whole list, its scroll bar included.
    setCursor(Qt::PointingHandCursor);
    viewport()->setCursor(Qt::PointingHandCursor);
    itemHeight_ = MeasureItem();
    setItemDelegate(new PitchItemDelegate(*this));
}

int KeyMarkList::MeasureItem() const {
    // A line of text and the two lines, so that a name is never cut ("E3" and "F3" differ only
    // in the part a shorter item would clip) and the swatch, inset by four pixels at the top
    // and the bottom, is a block of colour rather than a line.
    return QFontMetrics(font()).height() + kPitchItemExtraHeight;
}

int KeyMarkList::TopIndex() const {
    const QModelIndex first = indexAt(QPoint(0, 0));
    return first.isValid() ? first.row() : 0;
}

void KeyMarkList::SetTopIndex(int index) {
    if (index < 0 || index >= count()) {
        return;
    }
    // Lays the items out first, so that the scroll range is known also before the list shows.
    doItemsLayout();
    scrollToItem(item(index), QAbstractItemView::PositionAtTop);
}

void KeyMarkList::InvalidateItems() {
    viewport()->update();
}

int KeyMarkList::RowAt(QPoint pos) const {
    const QModelIndex index = indexAt(pos);
    return index.isValid() ? index.row() : -1;
}

void KeyMarkList::StepSelected() {
    const int s = currentRow();
    if (s < 0 || s >= kKeyCount) {
        return;
    }
    auto& color = keyTable_.pitchLineColors[s];
    color.store(NextColorCode(color.load(std::memory_order_relaxed)), std::memory_order_relaxed);
    InvalidateItems();
}

void KeyMarkList::ClearSelected() {
    const int s = currentRow();
    if (s < 0 || s >= kKeyCount) {
        return;
    }
    keyTable_.pitchLineColors[s].store(kColorUnmarked, std::memory_order_relaxed);
    InvalidateItems();
}

void KeyMarkList::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        event->accept();
        return;
    }
    // The list's own handling selects the item under the cursor and takes the focus; a press
    // below the last item selects nothing and changes nothing.
    QListWidget::mousePressEvent(event);
    if (RowAt(event->position().toPoint()) >= 0) {
        StepSelected();
    }
}

void KeyMarkList::mouseDoubleClickEvent(QMouseEvent* event) {
    event->accept();
    if (event->button() != Qt::LeftButton) {
        return;
    }
    // The first press of the double click has stepped the colour; the second one clears it.
    const int row = RowAt(event->position().toPoint());
    if (row >= 0) {
        setCurrentRow(row);
        ClearSelected();
    }
}

void KeyMarkList::keyPressEvent(QKeyEvent* event) {
    if (event->modifiers() == Qt::NoModifier) {
        switch (event->key()) {
            case Qt::Key_Space:
                StepSelected();
                event->accept();
                return;
            case Qt::Key_Delete:
                ClearSelected();
                event->accept();
                return;
            default:
                break;
        }
    }
    QListWidget::keyPressEvent(event);
}

void KeyMarkList::changeEvent(QEvent* event) {
    QListWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        itemHeight_ = MeasureItem();
        doItemsLayout();
    }
}

}  // namespace tonavise::ui
