// Pitch marking: the key list's clicks, double clicks and keys, the presets and the item shown
// first, OK keeping and every way of cancelling restoring the colours, the layout, the drawing
// of one item, and the view's command redrawing the scale after OK.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <climits>
#include <functional>
#include <vector>

#include "UiTestSupport.h"
#include "ui/CommandIds.h"
#include "ui/DialogUnits.h"
#include "ui/KeyMarkList.h"
#include "ui/MainWindow.h"
#include "ui/PitchMarkingDialog.h"
#include "ui/ScopeView.h"

namespace tonavise::ui::test {
namespace {

using Colors = std::array<int32_t, kKeyCount>;

class PitchMarkingTest : public ::testing::Test {
  protected:
    std::unique_ptr<PitchMarkingDialog> Open() {
        auto dialog = std::make_unique<PitchMarkingDialog>(engine.keyTable);
        dialog->show();
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        return dialog;
    }
    Colors Current() const {
        Colors c{};
        for (int k = 0; k < kKeyCount; ++k) {
            c[k] = engine.keyTable.pitchLineColors[k].load();
        }
        return c;
    }
    void Set(const Colors& c) {
        for (int k = 0; k < kKeyCount; ++k) {
            engine.keyTable.pitchLineColors[k].store(c[k]);
        }
    }
    void Set(int key, int32_t code) { engine.keyTable.pitchLineColors[key].store(code); }
    int32_t Code(int key) const { return engine.keyTable.pitchLineColors[key].load(); }

    // A click on the item of `key`, which is scrolled into view first.
    static QPoint PointOf(KeyMarkList* list, int key) {
        list->scrollToItem(list->item(key));
        return list->visualItemRect(list->item(key)).center();
    }
    static void Click(KeyMarkList* list, int key) {
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, PointOf(list, key));
    }

    TempSettings file;
    Engine engine{file.path()};
};

TEST_F(PitchMarkingTest, ListsTheEightyEightKeysByTheirLongNames) {
    auto dialog = Open();
    KeyMarkList* list = dialog->list();
    ASSERT_EQ(list->count(), kKeyCount);
    EXPECT_EQ(list->item(0)->text(), QStringLiteral("A0"));
    EXPECT_EQ(list->item(1)->text(), QStringLiteral("#A/bB0"));
    EXPECT_EQ(list->item(3)->text(), QStringLiteral("C1"));
    EXPECT_EQ(list->item(51)->text(), QStringLiteral("C5"));
    EXPECT_EQ(list->item(87)->text(), QStringLiteral("C8"));
    EXPECT_EQ(dialog->windowTitle(), QStringLiteral("Pitch marking"));
}

TEST_F(PitchMarkingTest, ClicksStepThroughTheSevenMarksAndEightReturnTheCode) {
    auto dialog = Open();
    KeyMarkList* list = dialog->list();
    std::vector<int32_t> seen;
    for (int i = 0; i < 8; ++i) {
        Click(list, 40);
        seen.push_back(Code(40));
    }
    EXPECT_EQ(seen, (std::vector<int32_t>{0, 1, 2, 3, 4, 5, 6, 7}));
    EXPECT_EQ(list->currentRow(), 40);

    // From a mark as well, and only the clicked key changes.
    Set(60, 3);
    const Colors before = Current();
    for (int i = 0; i < 8; ++i) {
        Click(list, 60);
    }
    EXPECT_EQ(Current(), before);
}

TEST_F(PitchMarkingTest, ACodeOutsideZeroToSevenStepsByItsLowBits) {
    Set(10, 15);
    Set(11, 12);
    Set(12, INT32_MAX);
    Set(13, -1);
    Set(14, INT32_MIN);
    auto dialog = Open();
    for (int key : {10, 11, 12, 13, 14}) {
        Click(dialog->list(), key);
    }
    EXPECT_EQ(Code(10), 0);  // 15 has the low bits of 7
    EXPECT_EQ(Code(11), 5);  // 12 has those of 4
    EXPECT_EQ(Code(12), 0);  // no overflow
    EXPECT_EQ(Code(13), 0);
    EXPECT_EQ(Code(14), 1);
    EXPECT_EQ(NextColorCode(8), 1);
    EXPECT_EQ(NextColorCode(6), 7);
}

TEST_F(PitchMarkingTest, DoubleClickClearsAMark) {
    Set(30, 3);
    Set(31, 15);
    auto dialog = Open();
    KeyMarkList* list = dialog->list();
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, PointOf(list, 30));
    EXPECT_EQ(Code(30), kColorUnmarked);
    EXPECT_EQ(list->currentRow(), 30);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, PointOf(list, 31));
    EXPECT_EQ(Code(31), kColorUnmarked);
}

TEST_F(PitchMarkingTest, OtherButtonsAndPressesBelowTheItemsChangeNothing) {
    auto dialog = Open();
    KeyMarkList* list = dialog->list();
    const Colors before = Current();
    QTest::mouseClick(list->viewport(), Qt::RightButton, Qt::NoModifier, PointOf(list, 20));
    QTest::mouseDClick(list->viewport(), Qt::RightButton, Qt::NoModifier, PointOf(list, 20));
    EXPECT_EQ(Current(), before);

    list->SetTopIndex(kKeyCount - 1);
    const QRect last = list->visualItemRect(list->item(kKeyCount - 1));
    const QPoint below(last.center().x(), last.bottom() + 2);
    ASSERT_FALSE(list->indexAt(below).isValid()) << "the last page leaves no room below";
    QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, below);
    EXPECT_EQ(Current(), before);
}

TEST_F(PitchMarkingTest, KeysMoveTheSelectionSpaceStepsAndDeleteClears) {
    auto dialog = Open();
    KeyMarkList* list = dialog->list();
    Click(list, 40);  // 7 -> 0
    QTest::keyClick(list, Qt::Key_Down);
    EXPECT_EQ(list->currentRow(), 41);
    QTest::keyClick(list, Qt::Key_Space);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(Code(41), 1);
    QTest::keyClick(list, Qt::Key_Up);
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(Code(40), kColorUnmarked);
    EXPECT_EQ(Code(41), 1);
}

TEST_F(PitchMarkingTest, EveryWayOfCancellingRestoresEveryKey) {
    Colors start{};
    start.fill(kColorUnmarked);
    start[0] = 0;
    start[10] = 15;
    start[48] = 2;
    start[87] = 6;
    enum Way { kButton, kEscape, kCloseBox };
    for (Way way : {kButton, kEscape, kCloseBox}) {
        SCOPED_TRACE(way);
        Set(start);
        auto dialog = Open();
        dialog->OnGuitar();
        Click(dialog->list(), 19);
        Click(dialog->list(), 50);
        Click(dialog->list(), 50);
        dialog->OnErhu();
        Click(dialog->list(), 0);
        ASSERT_NE(Current(), start);
        switch (way) {
            case kButton:
                QTest::mouseClick(dialog->cancelButton(), Qt::LeftButton);
                break;
            case kEscape:
                QTest::keyClick(dialog.get(), Qt::Key_Escape);
                break;
            case kCloseBox:
                dialog->close();
                break;
        }
        EXPECT_EQ(dialog->result(), QDialog::Rejected);
        EXPECT_FALSE(dialog->isVisible());
        EXPECT_EQ(Current(), start);
    }
}

TEST_F(PitchMarkingTest, OkKeepsTheEditedColours) {
    auto dialog = Open();
    dialog->OnViolin();
    Click(dialog->list(), 34);  // 5 -> 6
    QTest::mouseClick(dialog->okButton(), Qt::LeftButton);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    Colors expected{};
    expected.fill(kColorUnmarked);
    expected[34] = 6;
    expected[41] = 1;
    expected[48] = 2;
    expected[55] = 4;
    EXPECT_EQ(Current(), expected);
    // Enter is OK as well.
    auto again = Open();
    again->OnErhu();
    again->list()->setFocus();
    QTest::keyClick(again->list(), Qt::Key_Return);
    EXPECT_EQ(again->result(), QDialog::Accepted);
    EXPECT_EQ(Code(41), 1);
    EXPECT_EQ(Code(34), kColorUnmarked);
}

TEST_F(PitchMarkingTest, PresetsLoadTheirMarksAndShowTheirTopItem) {
    auto dialog = Open();
    KeyMarkList* list = dialog->list();
    struct Case {
        QPushButton* button;
        std::map<int, int32_t> marks;
        int top;
    };
    const Case cases[] = {
        {dialog->guitarButton(), {{19, 5}, {24, 4}, {29, 3}, {34, 6}, {38, 1}, {43, 0}}, 29},
        {dialog->erhuButton(), {{41, 1}, {48, 2}}, 39},
        {dialog->violinButton(), {{34, 5}, {41, 1}, {48, 2}, {55, 4}}, 41},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button->text().toStdString());
        for (int k = 0; k < kKeyCount; ++k) {
            Set(k, k % 8);  // every key marked or not, before the preset
        }
        list->SetTopIndex(0);
        QTest::mouseClick(c.button, Qt::LeftButton);
        for (int k = 0; k < kKeyCount; ++k) {
            const auto mark = c.marks.find(k);
            EXPECT_EQ(Code(k), mark != c.marks.end() ? mark->second : kColorUnmarked) << k;
        }
        EXPECT_EQ(list->TopIndex(), c.top);
    }
}

TEST_F(PitchMarkingTest, TheFirstMarkedKeyOrC5IsOnTopWhenOpening) {
    EXPECT_EQ(Open()->list()->TopIndex(), kUnmarkedTopItem);
    EXPECT_EQ(Open()->list()->item(kUnmarkedTopItem)->text(), QStringLiteral("C5"));

    {
        auto dialog = Open();
        dialog->OnGuitar();
        dialog->accept();
    }
    EXPECT_EQ(Open()->list()->TopIndex(), 19);  // E2

    // Only the low bits count: 15 is not a mark.
    Set(Colors{});
    for (int k = 0; k < kKeyCount; ++k) {
        Set(k, 15);
    }
    Set(30, 8);
    EXPECT_EQ(Open()->list()->TopIndex(), 30);
}

TEST_F(PitchMarkingTest, LayoutFollowsTheTemplateInDialogUnits) {
    auto dialog = Open();
    const DialogUnits du(dialog->font());
    EXPECT_EQ(dialog->size(), du.Size(159, 207));
    EXPECT_EQ(dialog->erhuButton()->geometry(), du.Rect(91, 7, 61, 17));
    EXPECT_EQ(dialog->violinButton()->geometry(), du.Rect(91, 28, 61, 17));
    EXPECT_EQ(dialog->guitarButton()->geometry(), du.Rect(91, 49, 61, 17));
    EXPECT_EQ(dialog->okButton()->geometry(), du.Rect(93, 166, 59, 16));
    EXPECT_EQ(dialog->cancelButton()->geometry(), du.Rect(93, 184, 59, 16));
    EXPECT_EQ(dialog->list()->geometry(), du.Rect(7, 7, 77, 193));
    EXPECT_EQ(dialog->findChild<QWidget*>(QStringLiteral("id1024")), dialog->list());
    // Tab goes through the template's order, from the first button, which has the focus.
    EXPECT_EQ(dialog->focusWidget(), dialog->erhuButton());
    const QWidget* order[] = {dialog->erhuButton(),
                              dialog->violinButton(),
                              dialog->guitarButton(),
                              dialog->okButton(),
                              dialog->cancelButton(),
                              dialog->list()};
    for (size_t i = 1; i < std::size(order); ++i) {
        EXPECT_EQ(order[i - 1]->nextInFocusChain(), order[i]) << i;
    }
    // Away from the buttons, OK is the default.
    dialog->list()->setFocus();
    EXPECT_TRUE(dialog->okButton()->isDefault());
    // The preset buttons have access keys.
    for (QPushButton* b : {dialog->erhuButton(), dialog->violinButton(), dialog->guitarButton()}) {
        EXPECT_TRUE(b->text().startsWith(QLatin1Char('&'))) << b->text().toStdString();
    }

    // The whole list shows the hand, scroll bar included.
    EXPECT_EQ(dialog->list()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(dialog->list()->viewport()->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(dialog->list()->verticalScrollBar()->cursor().shape(), Qt::PointingHandCursor);
}

TEST_F(PitchMarkingTest, ItemsAreALineOfTextAndFourPixels) {
    auto dialog = Open();
    KeyMarkList* list = dialog->list();
    const int expected = QFontMetrics(list->font()).height() + kPitchItemExtraHeight;
    EXPECT_EQ(list->itemHeight(), expected);
    for (int k : {0, 51, 87}) {
        list->scrollToItem(list->item(k));
        EXPECT_EQ(list->visualItemRect(list->item(k)).height(), expected) << k;
    }
}

// --- one item's drawing ---------------------------------------------------------------------

class PitchItemDrawing : public ::testing::Test {
  protected:
    static constexpr QRgb kOutside = 0xFF010203;
    // An item of 100 x 12 at (5, 3) in a larger picture.
    static constexpr QRect kItem{5, 3, 100, 12};

    static QImage Draw(const QString& text, int32_t code) {
        QImage image(120, 20, QImage::Format_RGB32);
        image.fill(kOutside);
        QPainter painter(&image);
        painter.setFont(Font());
        DrawPitchItem(painter, kItem, text, code);
        return image;
    }
    static QFont Font() {
        QFont font = QApplication::font();
        font.setPixelSize(13);
        return font;
    }
    // Columns that hold text: neither white nor the line colours, above the bottom line.
    static bool IsInk(QRgb p) {
        return p != kPitchItemBackground && p != kPitchItemBottomLine && p != kOutside;
    }
};

TEST_F(PitchItemDrawing, SwatchFillsTheRightHalfInsetByFourPixels) {
    struct Case {
        int32_t code;
        QRgb swatch;
    };
    for (const Case c : {Case{0, 0xFF000000},
                         Case{1, 0xFFFF0000},
                         Case{5, 0xFFFF00FF},
                         Case{6, 0xFF00FFFF},
                         Case{13, 0xFFFF00FF},
                         Case{7, 0xFFFFFFFF}}) {
        SCOPED_TRACE(c.code);
        const QImage image = Draw(QStringLiteral("C1"), c.code);
        // Middle of x 5..104 (right edge 105) is 55; rows 3 + 4 = 7 up to 15 - 4 = 11 (excluded).
        for (int y = 7; y <= 10; ++y) {
            EXPECT_EQ(image.pixel(55, y), c.swatch) << y;
            EXPECT_EQ(image.pixel(104, y), c.swatch) << y;
            EXPECT_EQ(image.pixel(54, y) == c.swatch, c.swatch == kPitchItemBackground) << y;
        }
        for (int y : {5, 6, 11, 12, 13}) {
            EXPECT_EQ(image.pixel(80, y), kPitchItemBackground) << y;
        }
    }
}

TEST_F(PitchItemDrawing, LinesOnTheSecondAndLastRowsAndNothingOutside) {
    const QImage image = Draw(QStringLiteral("#A/bB0"), 0);
    // Right of the text, which is drawn over the lines.
    for (int x = 55; x <= 104; ++x) {
        EXPECT_EQ(image.pixel(x, 3), kPitchItemBackground) << x;   // first row: the ground
        EXPECT_EQ(image.pixel(x, 4), kPitchItemTopLine) << x;      // second row: white line
        EXPECT_EQ(image.pixel(x, 14), kPitchItemBottomLine) << x;  // last row: grey line
    }
    for (int x = 0; x < image.width(); ++x) {
        for (int y = 0; y < image.height(); ++y) {
            if (!kItem.contains(x, y)) {
                ASSERT_EQ(image.pixel(x, y), kOutside) << x << "," << y;
            }
        }
    }
}

TEST_F(PitchItemDrawing, TextIsDrawnTwiceAPixelApartAtTheLeftEdge) {
    const QString text = QStringLiteral("#A/bB0");
    const QImage image = Draw(text, kColorUnmarked);

    // The same text drawn once, the way any left-aligned, vertically centred text is drawn.
    QImage once(120, 20, QImage::Format_RGB32);
    once.fill(kPitchItemBackground);
    {
        QPainter painter(&once);
        painter.setFont(Font());
        painter.setClipRect(kItem);
        painter.setPen(QColor::fromRgb(kPitchItemText));
        painter.drawText(kItem, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, text);
    }
    auto inkColumns = [](const QImage& img, int& first, int& last) {
        first = INT_MAX;
        last = -1;
        for (int x = 5; x < 55; ++x) {
            for (int y = 3; y < 14; ++y) {
                if (IsInk(img.pixel(x, y))) {
                    first = std::min(first, x);
                    last = std::max(last, x);
                }
            }
        }
    };
    int first = 0, last = 0, firstOnce = 0, lastOnce = 0;
    inkColumns(image, first, last);
    inkColumns(once, firstOnce, lastOnce);
    ASSERT_GE(lastOnce, firstOnce);
    EXPECT_EQ(first, firstOnce);
    EXPECT_EQ(last, lastOnce + 1);
    EXPECT_LE(first, 5 + 2);

    // Where a stem is covered by both drawings the text colour shows in full, and nowhere is
    // the ink darker than it.
    bool full = false;
    for (int x = 5; x < 55; ++x) {
        for (int y = 3; y < 14; ++y) {
            const QRgb p = image.pixel(x, y);
            if (IsInk(p)) {
                EXPECT_GE(qGray(p), qGray(kPitchItemText));
                full = full || p == kPitchItemText;
            }
        }
    }
    EXPECT_TRUE(full);
}

// --- the view's command ---------------------------------------------------------------------

class PitchMarkingCommandTest : public PitchMarkingTest {
  protected:
    void SetUp() override {
        frame = std::make_unique<MainWindow>(engine.context);
        frame->show();
        frame->StartLive();
    }
    void TearDown() override { frame.reset(); }

    // Pixels of the colour on the pitch line of `key`, between the plot's top and its middle.
    int LinePixels(int key, QRgb color) {
        const QImage& picture = frame->view().composedPicture();
        int n = 0;
        for (int y = 20; y < 200; ++y) {
            n += picture.pixel(50 + 20 * key, y) == color ? 1 : 0;
        }
        return n;
    }
    // Runs the command; `act` works the dialog and ends it.
    void RunCommand(const std::function<void(PitchMarkingDialog&)>& act) {
        bool seen = false;
        QTimer::singleShot(0, [&] {
            auto* dialog = qobject_cast<PitchMarkingDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            seen = true;
            act(*dialog);
        });
        EXPECT_TRUE(frame->ExecuteCommand(ID_PITCH_MARKING));
        EXPECT_TRUE(seen);
    }

    void Run(int id) { ASSERT_TRUE(frame->ExecuteCommand(id)); }

    std::unique_ptr<MainWindow> frame;
};

TEST_F(PitchMarkingCommandTest, OkRedrawsTheScaleEvenWithoutAChange) {
    ASSERT_TRUE(frame->CommandStateOf(ID_PITCH_MARKING).enabled);
    constexpr QRgb kBlack = 0xFF000000;
    constexpr QRgb kMagenta = 0xFFC400C4;  // (196, 0, 196)

    // A colour changed behind the view's back shows only when the scale is drawn anew.
    Set(48, 0);
    frame->view().RedrawNow();
    ASSERT_EQ(LinePixels(48, kBlack), 0);
    RunCommand([](PitchMarkingDialog& d) { QTest::mouseClick(d.okButton(), Qt::LeftButton); });
    // Each of the plot's dotted horizontal lines crosses it once.
    EXPECT_EQ(LinePixels(48, kBlack), 180 - 4);

    // Cancel leaves the scale as it was drawn.
    Set(50, 0);
    RunCommand([](PitchMarkingDialog& d) {
        d.OnGuitar();
        QTest::mouseClick(d.cancelButton(), Qt::LeftButton);
    });
    EXPECT_EQ(Code(19), kColorUnmarked);
    EXPECT_EQ(LinePixels(50, kBlack), 0);

    RunCommand([](PitchMarkingDialog& d) {
        d.OnGuitar();
        d.accept();
    });
    EXPECT_EQ(LinePixels(19, kMagenta), 180 - 4);
    EXPECT_EQ(LinePixels(48, kBlack), 0);
}

TEST_F(PitchMarkingCommandTest, OkComposesOnePictureAndCancelNone) {
    // Each composed picture is a step of the 3-D history, so the count is what the user sees.
    Run(ID_THREE_D);
    const int64_t before = frame->view().redrawCount();
    RunCommand([](PitchMarkingDialog& d) { d.accept(); });
    EXPECT_EQ(frame->view().redrawCount(), before + 1);
    for (const auto& cancel : std::vector<std::function<void(PitchMarkingDialog&)>>{
             [](PitchMarkingDialog& d) { QTest::mouseClick(d.cancelButton(), Qt::LeftButton); },
             [](PitchMarkingDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); },
             [](PitchMarkingDialog& d) { d.close(); }}) {
        RunCommand(cancel);
        QCoreApplication::processEvents();
        EXPECT_EQ(frame->view().redrawCount(), before + 1);
    }
}

}  // namespace
}  // namespace tonavise::ui::test
