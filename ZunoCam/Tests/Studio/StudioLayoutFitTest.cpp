// Every text of the studio shows whole at the window's smallest and default sizes, in English and
// Turkish: no tab title, button or switch is cut short, on any tab, nor in the tray popover.
#include "StudioTestFixture.h"

#include "CameraRecordingActionButtons.h"
#include "CameraStudioView.h"
#include "MainCamStudioView.h"
#include "MenuBarCamPopoverView.h"
#include "ZunoButton.h"
#include "ZunoCamStudioWindow.h"
#include "ZunoGlassSwitch.h"
#include "ZunoProductPalette.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLayout>

namespace {

const QColor kAccent = ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral);

QString describe(const QWidget *widget)
{
    if (const auto *button = qobject_cast<const QAbstractButton *>(widget))
        return button->text();
    return widget->objectName();
}

// The visible texts under `root` that do not fit their widget.
QStringList cutTexts(const QWidget *root)
{
    QStringList cut;
    for (const ZunoButton *button : root->findChildren<ZunoButton *>()) {
        if (button->isVisibleTo(root) && button->isTextElided())
            cut << QStringLiteral("button \"%1\" %2 < %3")
                       .arg(describe(button))
                       .arg(button->width())
                       .arg(button->sizeHint().width());
    }
    for (const ZunoGlassSwitch *toggle : root->findChildren<ZunoGlassSwitch *>()) {
        if (toggle->isVisibleTo(root)
            && (toggle->height() < toggle->heightForWidth(toggle->width())
                || toggle->width() < toggle->minimumSizeHint().width()))
            cut << QStringLiteral("switch \"%1\"").arg(describe(toggle));
    }
    return cut;
}

} // namespace

class StudioLayoutFitTest : public StudioTest { };

TEST_F(StudioLayoutFitTest, NoTextIsCutAtTheSmallestAndTheDefaultSize)
{
    start(2);
    const QSize sizes[] = { QSize(ZunoCamStudioWindow::kMinimumWidth, ZunoCamStudioWindow::kMinimumHeight),
        QSize(ZunoCamStudioWindow::kDefaultWidth, ZunoCamStudioWindow::kDefaultHeight) };
    MainCamStudioView view(*vm, kAccent);
    view.show();
    for (const ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr }) {
        vm->setLanguage(language);
        for (const QSize &size : sizes) {
            QCoreApplication::processEvents();
            view.resize(size);
            for (const CamStudioTab tab : CamStudioTabs::allCases()) {
                vm->setSelectedTab(tab);
                QCoreApplication::processEvents();
                QCoreApplication::processEvents();
                const QString where = QStringLiteral("%1 %2x%3 %4")
                                          .arg(language == ZunoLanguage::tr ? "tr" : "en")
                                          .arg(size.width())
                                          .arg(size.height())
                                          .arg(rawValue(tab));
                EXPECT_EQ(view.size(), size) << where.toStdString() << ": the window cannot be this small "
                                             << view.layout()->itemAt(0)->minimumSize().width() << " "
                                             << view.tabView()->minimumSizeHint().width();
                EXPECT_EQ(cutTexts(&view), QStringList()) << where.toStdString();
                for (ZunoButton *button : view.tabButtons())
                    EXPECT_GE(button->width(), button->sizeHint().width()) << where.toStdString();
                if (auto *camera = qobject_cast<CameraStudioView *>(view.tabView())) {
                    QAbstractButton *record = camera->recordingButtons()->recordButton();
                    EXPECT_GE(record->width(), record->sizeHint().width()) << where.toStdString();
                }
            }
        }
    }
}

TEST_F(StudioLayoutFitTest, TheLaunchButtonDropsItsShortcutBeforeATabIsCut)
{
    start();
    MainCamStudioView view(*vm, kAccent);
    view.show();
    vm->setLanguage(ZunoLanguage::tr);
    view.resize(ZunoCamStudioWindow::kDefaultWidth, ZunoCamStudioWindow::kDefaultHeight);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.launchButton()->text(), QStringLiteral("Prompter Aç (Super+Alt+T)"));
    view.resize(ZunoCamStudioWindow::kMinimumWidth, ZunoCamStudioWindow::kMinimumHeight);
    QCoreApplication::processEvents();
    const QString launch = view.launchButton()->text();
    EXPECT_TRUE(launch == QStringLiteral("Prompter Aç (Super+Alt+T)") || launch == QStringLiteral("Prompter"))
        << launch.toStdString();
    if (launch == QStringLiteral("Prompter")) {
        EXPECT_EQ(view.launchButton()->toolTip(), QStringLiteral("Prompter Aç (Super+Alt+T)"));
    }
    // The tagline shows whole or not at all.
    if (view.taglineLabel()->isVisible()) {
        EXPECT_GE(view.taglineLabel()->width(),
            view.taglineLabel()->fontMetrics().horizontalAdvance(view.taglineLabel()->text()));
    }
    view.resize(ZunoCamStudioWindow::kDefaultWidth, ZunoCamStudioWindow::kDefaultHeight);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.launchButton()->text(), QStringLiteral("Prompter Aç (Super+Alt+T)"));
}

TEST_F(StudioLayoutFitTest, ThePopoverShowsEveryTitleWholeInBothLanguages)
{
    start();
    MenuBarCamPopoverView popover(
        *vm, [] {}, kAccent);
    for (const ZunoLanguage language : { ZunoLanguage::en, ZunoLanguage::tr }) {
        vm->setLanguage(language);
        popover.popUp(QRect(QPoint(200, 0), QSize(24, 24)));
        QCoreApplication::processEvents();
        EXPECT_EQ(popover.width(), MenuBarCamPopoverView::kWidth);
        EXPECT_EQ(cutTexts(&popover), QStringList()) << static_cast<int>(language);
        EXPECT_EQ(popover.mirrorButton()->detail(), QStringLiteral("Super+Alt+M"));
        popover.hide();
    }
}
