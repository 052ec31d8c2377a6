#include "ZunoAIAdvancedSettingsSection.h"

#include "ZunoAIModelCatalogStore.h"
#include "ZunoButton.h"
#include "ZunoCreditsViewText.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassInputField.h"
#include "ZunoGlassTokens.h"
#include "ZunoText.h"

#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>

namespace {

QLineEdit *monoField(QWidget *parent)
{
    auto *field = zunoGlassInputField(new QLineEdit(parent), 8, 9, 6);
    // The glass style sets its own font; this one is set after it and wins.
    field->setFont(ZunoFonts::monospaced(12));
    return field;
}

} // namespace

ZunoAIAdvancedSettingsSection::ZunoAIAdvancedSettingsSection(
    ZunoAIModelCatalogStore *catalogStore, QWidget *parent)
    : QWidget(parent)
    , m_catalogStore(catalogStore)
{
    using ZunoCreditsViewText::label;
    auto *stack = new QVBoxLayout(this);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(10);

    auto *catalogRow = new QHBoxLayout;
    catalogRow->setSpacing(8);
    m_catalogLine = label(QString(), ZunoFonts::system(11), ZunoGlassTokens::textSecondary(), this);
    m_update = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), this);
    m_update->setSymbol(QStringLiteral("arrow.triangle.2.circlepath"));
    catalogRow->addWidget(m_catalogLine);
    catalogRow->addStretch();
    catalogRow->addWidget(m_update);
    stack->addLayout(catalogRow);
    stack->addWidget(ZunoCreditsViewText::divider(this));

    auto *manual = new QVBoxLayout;
    manual->setSpacing(8);
    m_heading
        = label(QString(), ZunoFonts::system(11, QFont::DemiBold), ZunoGlassTokens::textSecondary(), this);
    manual->addWidget(m_heading);
    const auto fieldRow = [&](QLabel *&rowLabel, QLineEdit *&field) {
        auto *row = new QHBoxLayout;
        row->setSpacing(10);
        rowLabel = label(
            QString(), ZunoFonts::system(11.5, QFont::Medium), ZunoGlassTokens::textSecondary(), this);
        rowLabel->setFixedWidth(kLabelWidth);
        field = monoField(this);
        row->addWidget(rowLabel);
        row->addWidget(field, 1);
        manual->addLayout(row);
    };
    fieldRow(m_endpointLabel, m_endpoint);
    fieldRow(m_modelLabel, m_model);
    stack->addLayout(manual);

    connect(m_endpoint, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_config.endpointURL = text;
        emit configEdited(m_config);
    });
    connect(m_model, &QLineEdit::textEdited, this, [this](const QString &text) {
        m_config.model = text;
        emit configEdited(m_config);
    });
    // The store's own refresh runs on; the button only starts it, and the spinner follows the store.
    connect(m_update, &QAbstractButton::clicked, this, [this] {
        if (m_catalogStore && !m_catalogStore->isSyncing())
            m_catalogStore->refresh(true, true);
    });
    if (m_catalogStore)
        connect(m_catalogStore, &ZunoAIModelCatalogStore::stateChanged, this,
            &ZunoAIAdvancedSettingsSection::followStore);
    resync(m_config, 0, m_language);
}

void ZunoAIAdvancedSettingsSection::resync(const ZunoAIConfig &config, int rowCount, ZunoLanguage language)
{
    m_config = config;
    m_rowCount = rowCount;
    m_language = language;
    const auto t = [language](const char *en, const char *tr) {
        return zunoText(QString::fromUtf8(en), QString::fromUtf8(tr), language);
    };
    m_update->setText(t("Update Model List", "Model Listesini Güncelle"));
    m_heading->setText(t("Manual Endpoint & Model Override", "Manuel Uç Nokta & Model Ayarı"));
    m_endpointLabel->setText(t("Endpoint", "Uç Nokta"));
    m_modelLabel->setText(t("Model ID", "Model Kimliği"));
    sizeLabelColumn();
    m_endpoint->setPlaceholderText(defaultEndpoint(config.provider));
    m_model->setPlaceholderText(defaultModel(config.provider));
    setFieldText(m_endpoint, config.endpointURL);
    setFieldText(m_model, config.model);
    followStore();
}

void ZunoAIAdvancedSettingsSection::sizeLabelColumn()
{
    int width = kLabelWidth;
    for (const QLabel *rowLabel : { m_endpointLabel, m_modelLabel })
        width
            = std::max(width, qCeil(QFontMetricsF(rowLabel->font()).horizontalAdvance(rowLabel->text())) + 1);
    m_endpointLabel->setFixedWidth(width);
    m_modelLabel->setFixedWidth(width);
}

void ZunoAIAdvancedSettingsSection::followStore()
{
    const bool syncing = m_catalogStore && m_catalogStore->isSyncing();
    const QString version = m_catalogStore ? m_catalogStore->document().catalogVersion : QString();
    const qsizetype local = m_catalogStore ? m_catalogStore->discoveredLocalModels().size() : 0;
    const QString separator = QStringLiteral(" · ");
    m_catalogLine->setText(version + separator + QString::number(m_rowCount)
        + zunoText(QStringLiteral(" models"), QStringLiteral(" model"), m_language) + separator
        + QString::number(local)
        + zunoText(QStringLiteral(" local installed"), QStringLiteral(" yerel yüklü"), m_language));
    m_update->setBusy(syncing);
    m_update->setEnabled(m_catalogStore && !syncing);
}

void ZunoAIAdvancedSettingsSection::setFieldText(QLineEdit *field, const QString &text)
{
    if (field->text() != text && !field->hasFocus())
        field->setText(text);
}
