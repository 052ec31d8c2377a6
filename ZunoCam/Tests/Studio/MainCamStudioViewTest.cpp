// The studio window's content (header, tabs, launch button, toast) and the tray popover's texts and
// actions.
#include "MainCamStudioView.h"
#include "CamStudioTabButtonStyle.h"
#include "CamStudioToastLayer.h"
#include "DesignProbe.h"
#include "MenuBarCamPopoverView.h"
#include "StudioTestFixture.h"
#include "ZunoButton.h"
#include "ZunoFocusRing.h"
#include "ZunoProductPalette.h"
#include "ZunoToastBanner.h"
#include "ZunoWaitUntil.h"

#include <QApplication>
#include <QCheckBox>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

class MainCamStudioViewTest : public StudioTest {
protected:
    void SetUp() override
    {
        StudioTest::SetUp();
        start();
        view = std::make_unique<MainCamStudioView>(*vm, accent);
        view->resize(1220, 770);
        view->show();
        QCoreApplication::processEvents();
    }
    void TearDown() override
    {
        view.reset();
        StudioTest::TearDown();
    }

    QStringList tabTexts() const
    {
        QStringList texts;
        for (ZunoButton *button : view->tabButtons())
            texts.append(button->text());
        return texts;
    }

    // Waits until the toast layer's animation is over (it is deleted when it ends).
    void settle() const
    {
        EXPECT_TRUE(waitUntil([&] { return view->toastLayer()->animation() == nullptr; }, kWait,
            "the toast's animation to end"));
    }

    const QColor accent = ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral);
    std::unique_ptr<MainCamStudioView> view;
};

TEST_F(MainCamStudioViewTest, HeaderTabsAndLaunchButtonFollowTheLanguage)
{
    EXPECT_EQ(tabTexts(), (QStringList { "Teleprompter", "Camera & LUT", "Laser & Spot", "Settings" }));
    QStringList symbols;
    for (ZunoButton *button : view->tabButtons())
        symbols.append(button->symbol());
    EXPECT_EQ(
        symbols, (QStringList { "text.viewfinder", "camera.aperture", "wand.and.stars", "gearshape.fill" }));
    EXPECT_EQ(
        view->taglineLabel()->text(), QStringLiteral("Notch Teleprompter · Webcam LUT · Presentation Laser"));
    EXPECT_EQ(view->launchButton()->text(), QStringLiteral("Launch Prompter (Super+Alt+T)"));
    EXPECT_EQ(view->launchButton()->symbol(), QStringLiteral("text.viewfinder"));
    const auto names = view->findChildren<QLabel *>();
    auto hasName = [&] {
        return std::any_of(names.begin(), names.end(), [](QLabel *l) { return l->text() == "ZunoCam"; });
    };
    EXPECT_TRUE(hasName());

    vm->setLanguage(ZunoLanguage::tr);
    EXPECT_EQ(tabTexts(), (QStringList { "Teleprompter", "Kamera & LUT", "Lazer & Spot", "Ayarlar" }));
    EXPECT_EQ(
        view->taglineLabel()->text(), QStringLiteral("Çentik Teleprompter · Kamera LUT · Sunum Lazeri"));
    EXPECT_EQ(view->launchButton()->text(), QStringLiteral("Prompter Aç (Super+Alt+T)"));
    EXPECT_TRUE(hasName());

    // The launch button reads the state at the click, whoever changed it.
    vm->showTeleprompterOverlay();
    EXPECT_EQ(view->launchButton()->text(), QStringLiteral("Prompter’ı Kapat"));
    view->launchButton()->click();
    EXPECT_FALSE(vm->isTeleprompterVisible());
    vm->setLanguage(ZunoLanguage::en);
    view->launchButton()->click();
    EXPECT_TRUE(vm->isTeleprompterVisible());
    EXPECT_EQ(view->launchButton()->text(), QStringLiteral("Close Prompter"));
}

TEST_F(MainCamStudioViewTest, TabClickSelectsAndTheSelectedLooksSelected)
{
    ASSERT_EQ(vm->selectedTab(), CamStudioTab::teleprompter);
    // The fill's colour in the middle of the left padding of each tab.
    auto fillAt = [&](int i) {
        ZunoButton *button = view->tabButtons()[i];
        const QImage image = button->grab().toImage();
        return image.pixelColor(qRound(4 * image.devicePixelRatio()), image.height() / 2);
    };
    auto blendIsAccent = [&](const QColor &c) { return c.red() > c.green() + 20; };
    EXPECT_TRUE(blendIsAccent(fillAt(0)));
    EXPECT_FALSE(blendIsAccent(fillAt(1)));

    flush();
    const int saves = fakes.store->saves();
    QWidget *before = view->tabView();
    view->tabButtons()[0]->click(); // the selected one: nothing rebuilt
    EXPECT_EQ(view->tabView(), before);
    QSignalSpy tabChanges(vm.get(), &CamStudioViewModel::selectedTabChanged);
    QTest::mouseClick(view->tabButtons()[2], Qt::LeftButton);
    EXPECT_EQ(vm->selectedTab(), CamStudioTab::presenter);
    EXPECT_EQ(tabChanges.count(), 1);
    EXPECT_NE(view->tabView(), before);
    EXPECT_EQ(view->tabView()->objectName(), QStringLiteral("presenter"));
    EXPECT_FALSE(blendIsAccent(fillAt(0)));
    EXPECT_TRUE(blendIsAccent(fillAt(2)));
    // Selecting saves nothing.
    flush();
    EXPECT_EQ(fakes.store->saves(), saves);
}

TEST_F(MainCamStudioViewTest, ToastSitsAboveTheBottomIsReplacedInPlaceAndLetsClicksThrough)
{
    const auto capsuleOf
        = [](const ZunoToastBanner *b) { return b->capsuleRect().translated(b->geometry().topLeft()); };
    const auto opacityOf = [](const ZunoToastBanner *b) {
        const auto *effect = qobject_cast<const QGraphicsOpacityEffect *>(b->graphicsEffect());
        return effect ? effect->opacity() : 1.0;
    };
    vm->showToast(QStringLiteral("Recording saved"), false);
    ZunoToastBanner *banner = view->toastLayer()->banner();
    ASSERT_NE(banner, nullptr);
    // The first toast arrives from below the bottom edge.
    ASSERT_NE(view->toastLayer()->animation(), nullptr);
    EXPECT_GE(capsuleOf(banner).top(), view->height() - 1.0);
    settle();
    EXPECT_EQ(banner->symbolName(), QStringLiteral("checkmark.circle.fill"));
    const QRectF capsule = capsuleOf(banner);
    EXPECT_NEAR(capsule.bottom(), view->height() - 22, 1.0);
    EXPECT_NEAR(capsule.center().x(), view->width() / 2.0, 1.0);

    // A new message replaces it in place: from the animation's start on, both texts stand where the
    // first rests, the old one fading out while the new one fades in; a slide would start below.
    vm->showToast(QStringLiteral("No camera found"), true);
    ZunoToastBanner *replaced = view->toastLayer()->banner();
    ASSERT_NE(replaced, nullptr);
    ASSERT_NE(replaced, banner);
    const QPointer<ZunoToastBanner> leaving(banner);
    QVariantAnimation *fadeIn = view->toastLayer()->animation();
    ASSERT_NE(fadeIn, nullptr);
    for (const int ms : { 0, CamStudioToastLayer::kDurationMs / 2 }) {
        fadeIn->setCurrentTime(ms);
        EXPECT_NEAR(capsuleOf(replaced).bottom(), capsule.bottom(), 1.0) << ms << " ms in";
        ASSERT_TRUE(leaving) << ms << " ms in";
        EXPECT_NEAR(capsuleOf(leaving).bottom(), capsule.bottom(), 1.0) << ms << " ms in";
    }
    EXPECT_GT(opacityOf(replaced), 0.0);
    EXPECT_LT(opacityOf(replaced), 1.0);
    settle();
    EXPECT_EQ(replaced->message(), QStringLiteral("No camera found"));
    EXPECT_EQ(replaced->symbolName(), QStringLiteral("exclamationmark.triangle.fill"));
    EXPECT_NEAR(capsuleOf(replaced).bottom(), capsule.bottom(), 1.0);
    EXPECT_DOUBLE_EQ(opacityOf(replaced), 1.0);

    // A button under the toast still takes the click.
    auto *under = new QPushButton(QStringLiteral("under"), view->tabView());
    under->setGeometry(QRect(
        view->tabView()->mapFrom(view.get(), replaced->geometry().center()) - QPoint(30, 10), QSize(60, 20)));
    under->show();
    view->toastLayer()->raise();
    QSignalSpy clicks(under, &QPushButton::clicked);
    QTest::mouseClick(view->childAt(replaced->geometry().center()), Qt::LeftButton);
    EXPECT_EQ(clicks.count(), 1);

    clock().advance(CamStudioViewModel::kToastSeconds + 0.1);
    QCoreApplication::processEvents();
    EXPECT_FALSE(vm->toastMessage());
    EXPECT_EQ(view->toastLayer()->banner(), nullptr);
    ASSERT_TRUE(waitUntil(
        [&] { return view->findChildren<ZunoToastBanner *>().isEmpty(); }, kWait, "the toast banner to go"));
}

class MenuBarCamPopoverViewTest : public StudioTest { };

TEST_F(MenuBarCamPopoverViewTest, TextsFollowTheFlagsAndButtonsCallTheirOperations)
{
    start();
    int opened = 0;
    MenuBarCamPopoverView popover(
        *vm, [&] { ++opened; }, Qt::magenta);
    popover.popUp(QRect(100, 0, 24, 24));
    EXPECT_EQ(popover.width(), 280);
    EXPECT_TRUE(popover.windowFlags() & Qt::Popup);
    struct Case {
        ZunoLanguage language;
        QStringList idle, active;
    };
    const std::vector<Case> cases = {
        { ZunoLanguage::en,
            { "Launch Notch Teleprompter (Super+Alt+T)", "Start Presentation Laser (Super+Alt+L)",
                "Pop-Out Pre-Meeting Mirror (Super+Alt+M)", "Open Studio", "Quit" },
            { "Hide Notch Teleprompter", "Stop Presentation Laser",
                "Pop-Out Pre-Meeting Mirror (Super+Alt+M)", "Open Studio", "Quit" } },
        { ZunoLanguage::tr,
            { "Çentik Teleprompter Aç (Super+Alt+T)", "Sunum Lazerini Başlat (Super+Alt+L)",
                "Toplantı Öncesi Çentik Aynası (Super+Alt+M)", "Stüdyoyu Aç", "Çıkış" },
            { "Teleprompter’ı Gizle", "Sunum Lazerini Kapat", "Toplantı Öncesi Çentik Aynası (Super+Alt+M)",
                "Stüdyoyu Aç", "Çıkış" } },
    };
    // A shortcut shows on the button's second line.
    auto texts = [&] {
        QStringList result;
        for (ZunoButton *button : { popover.teleprompterButton(), popover.laserButton(),
                 popover.mirrorButton(), popover.openStudioButton(), popover.quitButton() })
            result << (button->detail().isEmpty()
                    ? button->text()
                    : QStringLiteral("%1 (%2)").arg(button->text(), button->detail()));
        return result;
    };
    for (const Case &c : cases) {
        vm->setLanguage(c.language);
        EXPECT_EQ(texts(), c.idle);
        // Pressed while open: the texts follow at once.
        popover.teleprompterButton()->click();
        popover.laserButton()->click();
        popover.mirrorButton()->click();
        EXPECT_TRUE(vm->isTeleprompterVisible());
        EXPECT_TRUE(vm->isLaserOverlayVisible());
        EXPECT_TRUE(vm->isFloatingMirrorVisible());
        EXPECT_EQ(texts(), c.active);
        popover.teleprompterButton()->click();
        popover.laserButton()->click();
        popover.mirrorButton()->click();
        EXPECT_FALSE(vm->isTeleprompterVisible());
        EXPECT_FALSE(vm->isLaserOverlayVisible());
        EXPECT_FALSE(vm->isFloatingMirrorVisible());
        EXPECT_EQ(texts(), c.idle);
    }
    popover.openStudioButton()->click();
    EXPECT_EQ(opened, 1);
}

TEST_F(MenuBarCamPopoverViewTest, TabWalksTheButtonsInReadingOrderAndReturnPressesThem)
{
    start();
    int opened = 0;
    MenuBarCamPopoverView popover(
        *vm, [&] { ++opened; }, Qt::magenta);
    popover.popUp(QRect(100, 0, 24, 24));
    popover.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&popover));
    const QList<QWidget *> order = { popover.teleprompterButton(), popover.laserButton(),
        popover.mirrorButton(), popover.openStudioButton(), popover.quitButton() };
    QList<QWidget *> reached;
    for (int press = 0; press < 2 * order.size() && reached.size() < order.size(); ++press) {
        QWidget *from = QApplication::focusWidget() ? QApplication::focusWidget() : &popover;
        QTest::keyClick(from, Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        ASSERT_TRUE(focused);
        if (!reached.contains(focused) && order.contains(focused)) {
            reached.append(focused);
            EXPECT_TRUE(DesignProbe::showsFocusRing(focused)) << reached.size();
        }
    }
    // The walk may start past the first button (the popup can focus it on opening); the cycle keeps
    // the order.
    ASSERT_EQ(reached.size(), order.size());
    const qsizetype start = order.indexOf(reached.first());
    for (qsizetype i = 0; i < order.size(); ++i)
        EXPECT_EQ(reached.at(i), order.at((start + i) % order.size())) << i;

    popover.openStudioButton()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(popover.openStudioButton(), Qt::Key_Return);
    EXPECT_EQ(opened, 1);
}

TEST(MenuBarCamPopoverPlacementTest, UnderTheIconElseAboveAndInsideTheScreen)
{
    const QRect screen(0, 0, 1920, 1080);
    const QSize size(280, 200);
    // A top panel: under the icon, centred on it.
    EXPECT_EQ(MenuBarCamPopoverView::placement(QRect(1000, 0, 24, 24), size, screen), QPoint(872, 28));
    // A bottom panel: above it.
    EXPECT_EQ(MenuBarCamPopoverView::placement(QRect(1000, 1056, 24, 24), size, screen), QPoint(872, 852));
    // At the right edge: kept inside.
    EXPECT_EQ(MenuBarCamPopoverView::placement(QRect(1900, 0, 20, 24), size, screen).x(), 1640);
}

TEST_F(MainCamStudioViewTest, TheKeyboardReachesEveryTabAndEveryFocusedControlShowsTheRing)
{
    constexpr int kMostPresses = 200;
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    QStringList withoutRing;
    // One press of Tab; the control it reaches must show the ring in its pixels.
    const auto pressTab = [&]() -> QWidget * {
        QWidget *from = QApplication::focusWidget();
        QTest::keyClick(from ? from : view.get(), Qt::Key_Tab);
        QWidget *focused = QApplication::focusWidget();
        // The plain check box is replaced by the glass switch, which draws the ring itself.
        if (focused && !qobject_cast<QCheckBox *>(focused) && !DesignProbe::showsFocusRing(focused))
            withoutRing.append(QString::fromLatin1(focused->metaObject()->className()));
        return focused;
    };

    const auto &tabs = CamStudioTabs::allCases();
    for (std::size_t i = 0; i < tabs.size(); ++i) {
        ZunoButton *button = view->tabButtons().at(qsizetype(i));
        // At least one press: focus that came with the window's activation shows no ring.
        int pressed = 0;
        do
            ASSERT_TRUE(pressTab());
        while (QApplication::focusWidget() != button && ++pressed < kMostPresses);
        ASSERT_EQ(QApplication::focusWidget(), button) << rawValue(tabs[i]).toStdString();
        EXPECT_TRUE(ZunoFocusRing::isVisible(button));
        // Space and Return both press a focused button.
        QTest::keyClick(button, i % 2 == 0 ? Qt::Key_Space : Qt::Key_Return);
        EXPECT_EQ(vm->selectedTab(), tabs[i]);
        EXPECT_EQ(view->tabView()->objectName(), rawValue(tabs[i]));
        // A new page is shown from the event loop; only then its controls join the Tab order.
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->tabView()->isVisible(); }, kWait));

        // Once round the window: the header and every control of the page just shown.
        QWidget *focused = nullptr;
        int presses = 0;
        do {
            focused = pressTab();
            ASSERT_TRUE(focused);
            EXPECT_TRUE(focused == view.get() || view->isAncestorOf(focused));
        } while (focused != button && ++presses < kMostPresses);
        EXPECT_EQ(focused, button) << "the focus never came back round on "
                                   << rawValue(tabs[i]).toStdString();
        // Shift+Tab walks back in the same order.
        QTest::keyClick(button, Qt::Key_Backtab, Qt::ShiftModifier);
        EXPECT_NE(QApplication::focusWidget(), button);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), button);
    }
    EXPECT_TRUE(withoutRing.isEmpty()) << withoutRing.join(QStringLiteral(", ")).toStdString();
}
