#include "TabScenes.h"

#include "CamScriptStore.h"
#include "CamSettingsView.h"
#include "CamStudioServices.h"
#include "CamStudioViewModel.h"
#include "FakeStudioRemote.h"
#include "PresentationToolsView.h"
#include "TeleprompterStudioView.h"
#include "ZunoGroundBackground.h"
#include "ZunoProductPalette.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include <cstdio>
#include <functional>
#include <memory>

namespace {

const QSize kTabSize(1000, 720);

// A remote that "listens" without a socket, on a long LAN address, for the card's running look.
class GalleryRemote final : public FakeStudioRemote {
public:
    GalleryRemote()
        : FakeStudioRemote(std::make_shared<CamStudioCallLog>())
    {
    }
    QString start(quint16 port) override
    {
        FakeStudioRemote::start(port);
        return QStringLiteral("http://192.168.178.123:%1").arg(port);
    }
};

std::unique_ptr<CamStudioViewModel> makeViewModel(const QString &folder, ZunoLanguage language)
{
    CamPersistedPayload payload;
    payload.scripts = {
        TeleprompterScript(QUuid::createUuid(), QStringLiteral("Product launch keynote"),
            QStringLiteral("Good morning everyone, and thank you for joining us today. We have been "
                           "working on something we are proud of, and in the next few minutes I want "
                           "to show you why it matters."),
            QDateTime::currentDateTimeUtc()),
        TeleprompterScript(QUuid::createUuid(),
            QStringLiteral("Weekly team update with a title far too long for the list"),
            QStringLiteral("Three things this week: the release, the hiring plan and the offsite."),
            QDateTime::currentDateTimeUtc()),
    };
    payload.teleprompter.wordsPerMinute = 135.7;
    payload.teleprompter.fontSize = 23.8;
    if (!CamScriptStore(folder).save(payload))
        std::fprintf(stderr, "could not write the gallery's document in %s\n", qPrintable(folder));
    CamStudioServices services = CamStudioServices::standard();
    services.remote = std::make_unique<GalleryRemote>();
    services.store = CamStudioServices::documentStore(std::make_unique<CamScriptStore>(folder));
    auto viewModel = std::make_unique<CamStudioViewModel>(std::move(services));
    viewModel->setLanguage(language);
    return viewModel;
}

} // namespace

bool writeStudioTab(const QString &path, QWidget *tab, QSize size)
{
    ZunoGroundBackground ground(ZunoProductPalette::deepCoral);
    auto *layout = new QVBoxLayout(&ground);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(tab);
    ground.resize(size);
    ground.show();
    QCoreApplication::processEvents();
    if (!ground.grab().save(path)) {
        std::fprintf(stderr, "could not write %s\n", qPrintable(path));
        return false;
    }
    std::printf("wrote %s\n", qPrintable(path));
    return true;
}

namespace {

bool writeTab(const QString &path, QWidget *tab)
{
    return writeStudioTab(path, tab, kTabSize);
}

} // namespace

bool writeTabScenes(const QString &folder)
{
    const QColor accent = ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral);
    bool ok = true;
    for (const auto &[language, suffix] : { std::pair { ZunoLanguage::en, QStringLiteral("en") },
             std::pair { ZunoLanguage::tr, QStringLiteral("tr") } }) {
        QTemporaryDir documents;
        auto viewModel = makeViewModel(documents.path(), language);
        ok = writeTab(QDir(folder).filePath(QStringLiteral("tab-teleprompter-%1.png").arg(suffix)),
                 new TeleprompterStudioView(*viewModel, accent))
            && ok;
        viewModel->startRemoteServer();
        ok = writeTab(
                 QDir(folder).filePath(QStringLiteral("tab-teleprompter-remote-live-%1.png").arg(suffix)),
                 new TeleprompterStudioView(*viewModel, accent))
            && ok;
        viewModel->stopRemoteServer();
        for (const PresentationOverlayMode mode : PresentationOverlayModes::allCases()) {
            viewModel->setOverlayMode(mode);
            ok = writeTab(QDir(folder).filePath(
                              QStringLiteral("tab-presenter-%1-%2.png").arg(rawValue(mode), suffix)),
                     new PresentationToolsView(*viewModel, accent))
                && ok;
        }
        ok = writeTab(QDir(folder).filePath(QStringLiteral("tab-settings-%1.png").arg(suffix)),
                 new CamSettingsView(*viewModel))
            && ok;
        viewModel->flushDocument(std::chrono::seconds(10));
    }
    return ok;
}
