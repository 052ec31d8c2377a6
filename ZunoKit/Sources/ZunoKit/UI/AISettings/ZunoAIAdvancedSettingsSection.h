#pragma once

#include "ZunoAIConfig.h"
#include "ZunoLanguage.h"

#include <QWidget>

class QLabel;
class QLineEdit;
class ZunoAIModelCatalogStore;
class ZunoButton;

// The AI settings card's advanced section: a line about the model catalog with a button that forces
// a catalog update, and the manual endpoint and model fields of the host's config. A user edit changes
// only its own field, as typed, and goes out whole through `configEdited`. Main thread.
class ZunoAIAdvancedSettingsSection : public QWidget {
    Q_OBJECT
public:
    // The label column is at least this wide, and as wide as its widest label in the current language.
    static constexpr int kLabelWidth = 72;

    explicit ZunoAIAdvancedSettingsSection(ZunoAIModelCatalogStore *catalogStore, QWidget *parent = nullptr);

    // Brings the card's config, its row count and language in. A field is set only when its text
    // differs, and never while the user is typing in it.
    void resync(const ZunoAIConfig &config, int rowCount, ZunoLanguage language);

    QLabel *catalogLine() const { return m_catalogLine; }
    ZunoButton *updateButton() const { return m_update; }
    QLabel *endpointLabel() const { return m_endpointLabel; }
    QLabel *modelLabel() const { return m_modelLabel; }
    QLineEdit *endpointField() const { return m_endpoint; }
    QLineEdit *modelField() const { return m_model; }

signals:
    void configEdited(const ZunoAIConfig &config);

private:
    void followStore();
    static void setFieldText(QLineEdit *field, const QString &text);
    void sizeLabelColumn();

    ZunoAIModelCatalogStore *m_catalogStore;
    ZunoAIConfig m_config { ZunoAIProvider::quarnwellCredits };
    int m_rowCount = 0;
    ZunoLanguage m_language = ZunoLanguage::en;
    QLabel *m_catalogLine;
    ZunoButton *m_update;
    QLabel *m_heading;
    QLabel *m_endpointLabel;
    QLabel *m_modelLabel;
    QLineEdit *m_endpoint;
    QLineEdit *m_model;
};
