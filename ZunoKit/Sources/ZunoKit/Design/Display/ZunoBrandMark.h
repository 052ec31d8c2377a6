#pragma once

#include "ZunoAppIdentity.h"

#include <QPointF>
#include <QWidget>

#include <array>
#include <functional>
#include <optional>
#include <vector>

class QPainter;
class ZunoAppEmblem;

// What a brand mark shows: one application's emblem, the running application's emblem, or the
// suite's own logo.
class ZunoBrandMarkStyle {
public:
    enum class Kind { app, currentApp, tindrelSuite };

    static ZunoBrandMarkStyle app(ZunoAppIdentity identity)
    {
        return ZunoBrandMarkStyle(Kind::app, identity);
    }
    static ZunoBrandMarkStyle currentApp() { return ZunoBrandMarkStyle(Kind::currentApp, std::nullopt); }
    static ZunoBrandMarkStyle tindrelSuite() { return ZunoBrandMarkStyle(Kind::tindrelSuite, std::nullopt); }
    // The application a name resolves to, else the running application.
    static ZunoBrandMarkStyle forAppName(const QString &name)
    {
        const auto identity = ZunoAppIdentities::resolve(name);
        return identity ? app(*identity) : currentApp();
    }

    Kind kind() const { return m_kind; }
    // The application of `app`; none for the other cases.
    std::optional<ZunoAppIdentity> identity() const { return m_identity; }

    bool operator==(const ZunoBrandMarkStyle &) const = default;

private:
    ZunoBrandMarkStyle(Kind kind, std::optional<ZunoAppIdentity> identity)
        : m_kind(kind)
        , m_identity(identity)
    {
    }
    Kind m_kind;
    std::optional<ZunoAppIdentity> m_identity;
};

// The suite logo's outline: three closed eight-point polygons in a 64 x 64 design square, y downwards.
namespace ZunoBrandMarkGeometry {

inline constexpr qreal viewBoxSize = 64;
using Piece = std::array<QPointF, 8>;

const Piece &topRightPiece();
const Piece &leftPiece();
const Piece &bottomRightPiece();
// Top-right, left, bottom-right: the order they are filled in.
const std::vector<Piece> &allPieces();

} // namespace ZunoBrandMarkGeometry

// The small square logo beside a title: the emblem of an application (in full colour, through
// `ZunoAppEmblem`) or the silver suite logo. `currentApp` looks the running application up again
// each time the mark is shown or its style is set, and falls back to the suite logo when the process
// is not one of the suite's applications.
class ZunoBrandMark : public QWidget {
    Q_OBJECT
public:
    using IdentityProvider = std::function<std::optional<ZunoAppIdentity>()>;

    ZunoBrandMark(qreal size, ZunoBrandMarkStyle style, QWidget *parent = nullptr);

    qreal markSize() const { return m_size; }
    ZunoBrandMarkStyle style() const { return m_style; }
    void setStyle(ZunoBrandMarkStyle style);

    // Where `currentApp` learns the running application; `ZunoAppIdentities::current` unless set.
    void setIdentityProvider(IdentityProvider provider);

    // The emblem view while an application's emblem is shown; null while the suite logo is.
    ZunoAppEmblem *emblem() const { return m_emblem; }

    QSize sizeHint() const override;

    // Draws the suite logo scaled into `rect`: each piece filled with the silver shading, then with
    // the sheen. Nothing else is drawn.
    static void paintSuiteLogo(QPainter &painter, const QRectF &rect);

protected:
    void showEvent(QShowEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void resolveBody();

    qreal m_size;
    ZunoBrandMarkStyle m_style;
    IdentityProvider m_identityProvider;
    ZunoAppEmblem *m_emblem = nullptr;
};
