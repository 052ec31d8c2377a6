#include "GallerySupport.h"

#include "ZunoGlassCard.h"
#include "ZunoGroundBackground.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QImage>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>

namespace {

constexpr int kCardWidth = 360;
constexpr int kMargin = 24;

class Frame : public ZunoGroundBackground {
public:
    Frame(QWidget *view, Gallery::Mount mount)
        : ZunoGroundBackground(ZunoProductPalette::deepCoral)
    {
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
        if (mount == Gallery::Mount::card) {
            auto *card = new ZunoGlassCard(14, 14, view, this);
            card->setFixedWidth(kCardWidth);
            layout->addWidget(card);
        } else {
            layout->addWidget(view, 0, Qt::AlignLeft | Qt::AlignTop);
        }
        layout->addStretch(1);
    }
};

} // namespace

namespace Gallery {

void settle(int ms)
{
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

bool waitFor(const std::function<bool()> &done, int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > ms)
            return false;
        settle(10);
    }
    return true;
}

bool save(QWidget *view, const QString &folder, const QString &name, ZunoLanguage language, Mount mount)
{
    Frame frame(view, mount);
    frame.show();
    settle();
    const int width = mount == Mount::card ? kCardWidth + 2 * kMargin : frame.sizeHint().width();
    frame.resize(width, frame.sizeHint().height());
    settle();
    const QString path
        = QDir(folder).filePath(name + QLatin1Char('-') + rawValue(language) + QStringLiteral(".png"));
    const QImage image = frame.grab().toImage();
    view->setParent(nullptr);
    if (!image.save(path)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        return false;
    }
    std::printf("%s (%dx%d)\n", qPrintable(path), image.width(), image.height());
    return true;
}

} // namespace Gallery
