// The fixed-size dialogs in each of the three languages, at the default font: every text fits
// its control and no two controls overlap. Sizes are in logical pixels, so a scale factor of 2
// (QT_SCALE_FACTOR=2) gives the same layout on twice the device pixels.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTranslator>

#include "UiTestSupport.h"
#include "ui/KeyMarkList.h"
#include "ui/Language.h"
#include "ui/MetronomeDialog.h"
#include "ui/PitchMarkingDialog.h"
#include "ui/SettingsDialog.h"
#include "ui/SignalGeneratorDialog.h"

namespace tonavise::ui::test {
namespace {

QString Plain(QString text) {
    return text.remove(QLatin1Char('&'));
}

// What each control needs to show its text whole.
int NeededWidth(const QWidget* w) {
    if (const auto* combo = qobject_cast<const QComboBox*>(w)) {
        // The widest item in the field the style draws the current item in.
        int widest = 0;
        for (int i = 0; i < combo->count(); ++i) {
            widest = std::max(widest, combo->fontMetrics().horizontalAdvance(combo->itemText(i)));
        }
        QStyleOptionComboBox option;
        option.initFrom(combo);
        option.editable = combo->isEditable();
        const QRect field = combo->style()->subControlRect(
            QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, combo);
        return combo->width() - field.width() + widest;
    }
    if (const auto* push = qobject_cast<const QPushButton*>(w)) {
        // Qt's own hint asks for at least 80 pixels whatever the text; the text and its frame
        // are what must fit.
        return push->fontMetrics().horizontalAdvance(Plain(push->text())) + 8;
    }
    if (const auto* group = qobject_cast<const QGroupBox*>(w)) {
        return group->fontMetrics().horizontalAdvance(Plain(group->title())) + 16;
    }
    if (qobject_cast<const QLabel*>(w) != nullptr ||
        qobject_cast<const QAbstractButton*>(w) != nullptr) {
        return w->sizeHint().width();
    }
    return 0;
}

// Every failure, named by the control's class, object name and text.
void ExpectLegible(const QWidget& dialog, const std::string& where) {
    const QRect inside = dialog.rect();
    std::vector<const QWidget*> controls;
    for (const QWidget* w : dialog.findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        if (w->isWindow() || w->isHidden()) {
            continue;
        }
        std::string name =
            std::string(w->metaObject()->className()) + " " + w->objectName().toStdString();
        if (const auto* b = qobject_cast<const QAbstractButton*>(w)) {
            name += " \"" + b->text().toStdString() + "\"";
        } else if (const auto* l = qobject_cast<const QLabel*>(w)) {
            name += " \"" + l->text().toStdString() + "\"";
        }
        EXPECT_GE(w->width(), NeededWidth(w)) << where << ": " << name << " is cut";
        EXPECT_TRUE(inside.contains(w->geometry())) << where << ": " << name << " is outside";
        if (qobject_cast<const QGroupBox*>(w) == nullptr) {
            for (const QWidget* other : controls) {
                EXPECT_FALSE(w->geometry().intersects(other->geometry()))
                    << where << ": " << name << " overlaps " << other->objectName().toStdString();
            }
            controls.push_back(w);
        }
    }
}

class DialogLayoutTest : public ::testing::TestWithParam<UiLanguage> {
  protected:
    void SetUp() override {
        engine.context.language = GetParam();
        if (GetParam() != UiLanguage::English) {
            translator = LoadTranslation(GetParam(), QStringLiteral(TONAVISE_QM_DIR));
            ASSERT_NE(translator, nullptr);
        }
    }
    void TearDown() override {
        if (translator) {
            QCoreApplication::removeTranslator(translator.get());
        }
    }
    std::string Where(const char* dialog) const {
        return std::string(dialog) + " in " +
               (GetParam() == UiLanguage::English ? std::string("English")
                                                  : TranslationName(GetParam()).toStdString());
    }

    TempSettings file;
    Engine engine{file.path()};
    std::unique_ptr<QTranslator> translator;
};

TEST_P(DialogLayoutTest, SetParametersShowsEveryRecordingTimeWhole) {
    SettingsDialog dialog(
        engine.context, nullptr, [](QWidget*, const QString&) { return std::nullopt; });
    ExpectLegible(dialog, Where("Set Parameters"));
    // The longest items ("30 Seconds", "10 Minutes" in English) fit beside the list's arrow.
    auto* list = dialog.findChild<QComboBox*>(QStringLiteral("id%1").arg(IDC_REC_TIME));
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->count(), 11);
    int widest = 0;
    for (int i = 0; i < list->count(); ++i) {
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(list->itemText(i)));
    }
    EXPECT_GT(list->width(), widest + 16) << Where("Set Parameters");
}

TEST_P(DialogLayoutTest, PitchMarkingRowsHoldTheirNamesAndASwatch) {
    PitchMarkingDialog dialog(engine.keyTable);
    ExpectLegible(dialog, Where("Pitch marking"));
    KeyMarkList* list = dialog.list();
    // A whole line of text, so "E3" and "F3" can be told apart, and a swatch several pixels
    // high (the item less four pixels at the top and at the bottom).
    const int line = QFontMetrics(list->font()).height();
    EXPECT_GE(list->itemHeight(), line);
    EXPECT_GE(list->itemHeight() - 8, line / 2);
    for (int k : {0, 51, 87}) {
        list->scrollToItem(list->item(k));
        EXPECT_EQ(list->visualItemRect(list->item(k)).height(), list->itemHeight()) << k;
    }
    // The longest name fits beside the swatch, which takes the right half.
    int widest = 0;
    for (int k = 0; k < list->count(); ++k) {
        widest = std::max(widest, list->fontMetrics().horizontalAdvance(list->item(k)->text()));
    }
    EXPECT_LE(widest + 1, list->viewport()->width() / 2);
}

TEST_P(DialogLayoutTest, MetronomeAndSignalGenerator) {
    {
        MetronomeDialog dialog(engine.controls, nullptr, nullptr);
        ExpectLegible(dialog, Where("Metronome"));
    }
    SignalGeneratorDialog dialog(engine.context);
    ExpectLegible(dialog, Where("Signal generator"));
}

INSTANTIATE_TEST_SUITE_P(Languages,
                         DialogLayoutTest,
                         ::testing::Values(UiLanguage::English,
                                           UiLanguage::Chinese,
                                           UiLanguage::Japanese));

}  // namespace
}  // namespace tonavise::ui::test
