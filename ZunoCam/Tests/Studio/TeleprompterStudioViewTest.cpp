// The teleprompter tab on a view model with fake services: the script list, the editor and the
// teleprompter settings.
#include "StudioTestFixture.h"

#include "FakeNotchPanel.h"
#include "StudioSliderControl.h"
#include "TeleprompterScriptRow.h"
#include "TeleprompterStudioView.h"
#include "ZunoButton.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassSwitch.h"
#include "ZunoSymbolButton.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSlider>

namespace {

const QColor kAccent(255, 111, 97);

TeleprompterScript script(const QString &title, const QString &body)
{
    return TeleprompterScript(
        QUuid::createUuid(), title, body, QDateTime::fromSecsSinceEpoch(1000000000, Qt::UTC));
}

} // namespace

class TeleprompterTabTest : public StudioTest {
protected:
    void startWith(std::vector<TeleprompterScript> scripts,
        const std::function<void(TeleprompterSettings &)> &change = {})
    {
        CamPersistedPayload payload;
        payload.scripts = std::move(scripts);
        if (change)
            change(payload.teleprompter);
        writeDocument(payload);
        start();
        view = std::make_unique<TeleprompterStudioView>(*vm, kAccent);
        view->resize(900, 640);
        view->show();
        flush();
        savesBefore = fakes.store->saves();
    }

    int newSaves()
    {
        flush();
        return fakes.store->saves() - savesBefore;
    }

    void TearDown() override
    {
        view.reset();
        StudioTest::TearDown();
    }

    std::unique_ptr<TeleprompterStudioView> view;
    int savesBefore = 0;
};

TEST_F(TeleprompterTabTest, ScriptListOffersDeleteOnlyWhileTwoOrMoreAndSelectsWithoutSaving)
{
    startWith({ script(QStringLiteral("Keynote"), QStringLiteral("one two three")) });
    ASSERT_EQ(view->rows().size(), 1u);
    EXPECT_TRUE(view->rows()[0]->trashButton()->isHidden());
    EXPECT_EQ(view->rows()[0]->wordCountText(), QStringLiteral("3 words"));

    QTest::mouseClick(view->addButton(), Qt::LeftButton);
    ASSERT_EQ(view->rows().size(), 2u);
    EXPECT_EQ(newSaves(), 1);
    const QUuid added = vm->scripts().front().id;
    EXPECT_EQ(vm->selectedScriptID(), added);
    EXPECT_TRUE(view->rows()[0]->isSelected());
    EXPECT_FALSE(view->rows()[1]->isSelected());
    EXPECT_EQ(view->titleField()->text(), QStringLiteral("Untitled Script"));
    for (TeleprompterScriptRow *row : view->rows())
        EXPECT_FALSE(row->trashButton()->isHidden());

    // A click on the row (not its trash button) selects and loads, and writes nothing.
    savesBefore = fakes.store->saves();
    QTest::mouseClick(view->rows()[1], Qt::LeftButton, {}, QPoint(4, 4));
    EXPECT_EQ(vm->selectedScriptID(), vm->scripts()[1].id);
    EXPECT_TRUE(view->rows()[1]->isSelected());
    EXPECT_FALSE(view->rows()[0]->isSelected());
    EXPECT_EQ(view->titleField()->text(), QStringLiteral("Keynote"));
    EXPECT_EQ(view->bodyEditor()->toPlainText(), QStringLiteral("one two three"));
    EXPECT_EQ(newSaves(), 0);
    EXPECT_EQ(vm->scripts()[1].title, QStringLiteral("Keynote"));

    // A selection that matches none shows the first script.
    vm->setSelectedScriptID(QUuid::createUuid());
    EXPECT_TRUE(view->rows()[0]->isSelected());
    EXPECT_FALSE(view->rows()[1]->isSelected());
    EXPECT_EQ(view->titleField()->text(), QStringLiteral("Untitled Script"));
    EXPECT_EQ(newSaves(), 0);

    // Deleting through the row's trash button leaves one script and no delete button.
    QTest::mouseClick(view->rows()[0]->trashButton(), Qt::LeftButton);
    ASSERT_EQ(view->rows().size(), 1u);
    EXPECT_EQ(view->rows()[0]->titleText(), QStringLiteral("Keynote"));
    EXPECT_TRUE(view->rows()[0]->trashButton()->isHidden());
}

TEST_F(TeleprompterTabTest, RowsUpdateInPlace)
{
    startWith({ script(QStringLiteral("A"), QStringLiteral("x")),
        script(QStringLiteral("B"), QStringLiteral("y")) });
    TeleprompterScriptRow *first = view->rows()[0];
    vm->updateActiveScript(QStringLiteral("A renamed"), QStringLiteral("x y z w"));
    EXPECT_EQ(view->rows()[0], first) << "a changed script keeps its row";
    EXPECT_EQ(first->titleText(), QStringLiteral("A renamed"));
    EXPECT_EQ(first->wordCountText(), QStringLiteral("4 words"));
}

TEST_F(TeleprompterTabTest, WordCountAndReadingTime)
{
    struct Case {
        double seconds;
        bool turkish;
        QString text;
    };
    const Case cases[] {
        { 0, false, QStringLiteral("~0m 0s") },
        { 125, false, QStringLiteral("~2m 5s") },
        { 125, true, QStringLiteral("~2dk 5sn") },
        { 124.5, false, QStringLiteral("~2m 5s") }, // half away from zero
        { 124.49, false, QStringLiteral("~2m 4s") },
        { 3600, false, QStringLiteral("~60m 0s") },
    };
    for (const Case &c : cases)
        EXPECT_EQ(TeleprompterStudioView::readingTimeText(c.seconds, c.turkish), c.text) << c.seconds;

    // 250 words at 120 words a minute are 125 s.
    QStringList words;
    for (int i = 0; i < 250; ++i)
        words << QStringLiteral("word");
    startWith({ script(QStringLiteral("Long"), words.join(u' ')) },
        [](TeleprompterSettings &s) { s.wordsPerMinute = 120; });
    EXPECT_EQ(view->rows()[0]->wordCountText(), QStringLiteral("250 words"));
    EXPECT_EQ(view->readingTimeLabel()->text(), QStringLiteral("~2m 5s"));
    vm->setLanguage(ZunoLanguage::tr);
    EXPECT_EQ(view->readingTimeLabel()->text(), QStringLiteral("~2dk 5sn"));
    EXPECT_EQ(view->rows()[0]->wordCountText(), QStringLiteral("250 kelime"));

    vm->setLanguage(ZunoLanguage::en);
    view->bodyEditor()->clear();
    EXPECT_EQ(view->rows()[0]->wordCountText(), QStringLiteral("0 words"));
    EXPECT_EQ(view->readingTimeLabel()->text(), QStringLiteral("~0m 0s"));
}

TEST_F(TeleprompterTabTest, EditsReachTheModelOnceWithOnlyTheirArgumentAndKeepTheCaret)
{
    startWith({ script(QStringLiteral("Title"), QStringLiteral("Hello world")),
        script(QStringLiteral("Other"), QStringLiteral("Other body")) });
    QLineEdit *title = view->titleField();
    title->setFocus();
    title->setCursorPosition(5);
    QTest::keyClick(title, Qt::Key_S);
    EXPECT_EQ(vm->scripts()[0].title, QStringLiteral("Titles"));
    EXPECT_EQ(vm->scripts()[0].body, QStringLiteral("Hello world"));
    EXPECT_EQ(newSaves(), 1);

    QPlainTextEdit *body = view->bodyEditor();
    body->setFocus();
    QTextCursor cursor = body->textCursor();
    cursor.setPosition(5);
    body->setTextCursor(cursor);
    savesBefore = fakes.store->saves();
    QTest::keyClick(body, Qt::Key_Comma);
    EXPECT_EQ(vm->scripts()[0].body, QStringLiteral("Hello, world"));
    EXPECT_EQ(vm->scripts()[0].title, QStringLiteral("Titles"));
    EXPECT_EQ(newSaves(), 1);
    EXPECT_EQ(body->textCursor().position(), 6);

    // The model re-syncs (another field of the script changes, the settings change): text and caret stay.
    vm->updateActiveScript(QStringLiteral("Titles"), std::nullopt);
    vm->setTeleprompter(settingsWith([](TeleprompterSettings &s) { s.wordsPerMinute = 200; }));
    EXPECT_EQ(body->toPlainText(), QStringLiteral("Hello, world"));
    EXPECT_EQ(body->textCursor().position(), 6);
    EXPECT_EQ(title->cursorPosition(), 6);

    // Loading another script writes nothing.
    flush();
    savesBefore = fakes.store->saves();
    vm->setSelectedScriptID(vm->scripts()[1].id);
    EXPECT_EQ(body->toPlainText(), QStringLiteral("Other body"));
    EXPECT_EQ(title->text(), QStringLiteral("Other"));
    EXPECT_EQ(newSaves(), 0);
    EXPECT_EQ(vm->scripts()[0].body, QStringLiteral("Hello, world"));
}

TEST_F(TeleprompterTabTest, SlidersShowStoredValuesAndEachChangeSavesOnce)
{
    startWith({ script(QStringLiteral("A"), QStringLiteral("a")) }, [](TeleprompterSettings &s) {
        s.wordsPerMinute = 135.7;
        s.fontSize = 23.8;
    });
    EXPECT_EQ(view->paceSlider()->minimum(), 60);
    EXPECT_EQ(view->paceSlider()->maximum(), 260);
    EXPECT_EQ(view->fontSlider()->minimum(), 16);
    EXPECT_EQ(view->fontSlider()->maximum(), 44);
    EXPECT_EQ(view->paceSlider()->valueText(), QStringLiteral("135"));
    EXPECT_EQ(view->fontSlider()->valueText(), QStringLiteral("23pt"));
    EXPECT_EQ(view->paceSlider()->title(), QStringLiteral("Pace (WPM)"));

    view->paceSlider()->slider()->setValue(150 * StudioSliderControl::kStepsPerUnit);
    EXPECT_EQ(vm->teleprompter().wordsPerMinute, 150);
    EXPECT_EQ(view->paceSlider()->valueText(), QStringLiteral("150"));
    EXPECT_EQ(newSaves(), 1);
    view->fontSlider()->slider()->setValue(30 * StudioSliderControl::kStepsPerUnit);
    EXPECT_EQ(vm->teleprompter().fontSize, 30);
    EXPECT_EQ(view->fontSlider()->valueText(), QStringLiteral("30pt"));
    EXPECT_EQ(newSaves(), 2);
    view->voicePacingSwitch()->click();
    EXPECT_TRUE(vm->teleprompter().voicePacingEnabled);
    EXPECT_EQ(newSaves(), 3);
    EXPECT_EQ(fakes.log->count(QStringLiteral("notch.updateLayout")), 0) << "hidden: only saved";

    // A stored value outside the range shows as stored and is not written back.
    vm->setTeleprompter(settingsWith([](TeleprompterSettings &s) {
        s.wordsPerMinute = 300;
        s.fontSize = 10;
    }));
    EXPECT_EQ(view->paceSlider()->valueText(), QStringLiteral("300"));
    EXPECT_EQ(view->fontSlider()->valueText(), QStringLiteral("10pt"));
    EXPECT_EQ(vm->teleprompter().wordsPerMinute, 300);
    EXPECT_EQ(vm->teleprompter().fontSize, 10);
    EXPECT_EQ(newSaves(), 3);

    // Hand-edited values beyond the integer range saturate instead of wrapping.
    vm->setTeleprompter(settingsWith([](TeleprompterSettings &s) {
        s.wordsPerMinute = 1e308;
        s.fontSize = -1e300;
    }));
    EXPECT_EQ(view->paceSlider()->valueText(), QStringLiteral("9223372036854775807"));
    EXPECT_EQ(view->fontSlider()->valueText(), QStringLiteral("-9223372036854775808pt"));
}

TEST_F(TeleprompterTabTest, SettingsChangeWhileTheTeleprompterShowsRelaysOutAndFollowsVoicePacing)
{
    startWith({ script(QStringLiteral("A"), QStringLiteral("a")) });
    vm->showTeleprompterOverlay();
    view->voicePacingSwitch()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fakes.microphone->isRunning(); }, kWait));
    EXPECT_EQ(fakes.log->count(QStringLiteral("notch.updateLayout")), 1);
    EXPECT_EQ(newSaves(), 1); // the writer may fold saves that queue up: count after each change
    view->voicePacingSwitch()->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !fakes.microphone->isRunning(); }, kWait));
    EXPECT_EQ(newSaves(), 2);
    view->fontSlider()->slider()->setValue(40 * StudioSliderControl::kStepsPerUnit);
    EXPECT_EQ(fakes.log->count(QStringLiteral("notch.updateLayout")), 3);
    EXPECT_EQ(newSaves(), 3);
}

TEST_F(TeleprompterTabTest, ScreenShareSwitchFollowsTheCapabilityAndKeepsTheStoredValue)
{
    startWith({ script(QStringLiteral("A"), QStringLiteral("a")) },
        [](TeleprompterSettings &s) { s.hideFromScreenShare = true; });
    view->setScreenShareHidingAvailable(false);
    EXPECT_FALSE(view->screenShareSwitch()->isEnabled());
    EXPECT_FALSE(view->screenShareSwitch()->isChecked());
    EXPECT_FALSE(view->screenShareNote()->isHidden());
    EXPECT_EQ(view->screenShareNote()->text(), QStringLiteral("Not available on this desktop"));
    vm->setLanguage(ZunoLanguage::tr);
    EXPECT_EQ(view->screenShareNote()->text(), QStringLiteral("Bu masaüstünde kullanılamaz"));
    EXPECT_TRUE(vm->teleprompter().hideFromScreenShare);
    EXPECT_EQ(newSaves(), 0);

    view->setScreenShareHidingAvailable(true);
    EXPECT_TRUE(view->screenShareSwitch()->isEnabled());
    EXPECT_TRUE(view->screenShareSwitch()->isChecked());
    EXPECT_TRUE(view->screenShareNote()->isHidden());
    view->screenShareSwitch()->click();
    EXPECT_FALSE(vm->teleprompter().hideFromScreenShare);
    EXPECT_EQ(newSaves(), 1);
}
