#pragma once

#include <QColor>
#include <QWidget>

#include <vector>

class CamStudioViewModel;
class PresentationToolTile;
class QLabel;
class ZunoButton;
class ZunoSymbolLabel;

// The presenter tab: the overlay's button and the six drawing tools, the chosen one in the accent.
class PresentationToolsView : public QWidget {
    Q_OBJECT
public:
    PresentationToolsView(CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent = nullptr);

    // For tests and the gallery.
    ZunoButton *overlayButton() const { return m_overlayButton; }
    const std::vector<PresentationToolTile *> &tiles() const { return m_tiles; }
    QLabel *descriptionLabel() const { return m_description; }
    QString headerText() const;

private:
    void sync();
    QString text(const QString &en, const QString &tr) const;

    CamStudioViewModel &m_viewModel;
    QWidget *m_headerHost = nullptr;
    ZunoSymbolLabel *m_header = nullptr;
    ZunoButton *m_overlayButton = nullptr;
    QLabel *m_description = nullptr;
    std::vector<PresentationToolTile *> m_tiles;
};
