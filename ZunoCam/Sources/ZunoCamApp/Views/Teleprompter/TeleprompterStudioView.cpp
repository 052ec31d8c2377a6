#include "TeleprompterStudioView.h"

#include "CamSaturating.h"
#include "CamStudioViewModel.h"
#include "StudioSliderControl.h"
#include "StudioTabPage.h"
#include "TeleprompterPacingEngine.h"
#include "TeleprompterRemoteCardView.h"
#include "TeleprompterScriptRow.h"
#include "ZunoButton.h"
#include "ZunoFocusRing.h"
#include "ZunoFonts.h"
#include "ZunoGlassButtonStyle.h"
#include "ZunoGlassCard.h"
#include "ZunoGlassInputField.h"
#include "ZunoGlassScrollArea.h"
#include "ZunoGlassSwitch.h"
#include "ZunoGlassTokens.h"
#include "ZunoProductPalette.h"
#include "ZunoText.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The whole part of a stored value, as the value frames show it; a hand-edited value beyond the
// integer range saturates instead of wrapping.
qint64 wholePart(double value)
{
    return std::isfinite(value) ? CamSaturating::toInt64(value) : 0;
}

} // namespace

TeleprompterStudioView::TeleprompterStudioView(
    CamStudioViewModel &viewModel, const QColor &accent, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
    , m_screenShareAvailable(CamStudioViewModel::canHideFromScreenShare())
{
    auto *row = new QHBoxLayout(this);
    row->setContentsMargins(22, 22, 22, 22);
    row->setSpacing(18);
    row->addWidget(makeScriptColumn());

    m_editorColumn = new QWidget(this);
    auto *editor = new QVBoxLayout(m_editorColumn);
    editor->setContentsMargins(0, 0, 0, 0);
    editor->setSpacing(14);
    editor->addWidget(makeScriptCard());
    editor->addWidget(makeSettingsCard());
    // The remote card keeps the studio's own accent, whatever the tab's.
    m_remoteCard = new TeleprompterRemoteCardView(
        m_viewModel, ZunoProductPalettes::accentColor(ZunoProductPalette::deepCoral), m_editorColumn);
    editor->addWidget(m_remoteCard);
    editor->addStretch(1);
    row->addWidget(m_editorColumn, 1);

    connect(&m_viewModel, &CamStudioViewModel::scriptsChanged, this, [this] {
        syncRows();
        syncEditor();
    });
    connect(&m_viewModel, &CamStudioViewModel::selectedScriptChanged, this, [this] {
        syncRows();
        syncEditor();
    });
    connect(&m_viewModel, &CamStudioViewModel::teleprompterSettingsChanged, this, [this] {
        syncSettings();
        syncEditor(); // the reading time follows the pace
    });
    connect(&m_viewModel, &CamStudioViewModel::languageChanged, this, [this] { relabel(); });
    relabel();
}

QString TeleprompterStudioView::readingTimeText(double seconds, bool turkish)
{
    const qint64 total = std::isfinite(seconds) && seconds > 0 ? std::llround(seconds) : 0;
    const qint64 minutes = total / 60;
    const qint64 rest = total % 60;
    return turkish ? QStringLiteral("~%1dk %2sn").arg(minutes).arg(rest)
                   : QStringLiteral("~%1m %2s").arg(minutes).arg(rest);
}

void TeleprompterStudioView::setScreenShareHidingAvailable(bool available)
{
    m_screenShareAvailable = available;
    syncSettings();
}

QWidget *TeleprompterStudioView::makeScriptColumn()
{
    auto *column = new QWidget(this);
    column->setFixedWidth(kScriptColumnWidth);
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    auto *header = new QHBoxLayout;
    m_scriptsHeader = new QLabel(column);
    m_scriptsHeader->setFont(ZunoFonts::system(13, QFont::Bold));
    m_scriptsHeader->setStyleSheet(studioTextCss(ZunoGlassTokens::textPrimary()));
    header->addWidget(m_scriptsHeader);
    header->addStretch(1);
    m_addButton = new ZunoButton(QString(), std::make_shared<ZunoGlassButtonStyle>(false), column);
    m_addButton->setSymbol(QStringLiteral("plus"));
    connect(m_addButton, &ZunoButton::clicked, this, [this] { m_viewModel.createNewScript(); });
    header->addWidget(m_addButton);
    layout->addLayout(header);

    auto *list = new QWidget;
    m_rowsLayout = new QVBoxLayout(list);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(8);
    m_rowsLayout->addStretch(1);
    layout->addWidget(zunoGlassScrollArea(list), 1);
    return column;
}

QWidget *TeleprompterStudioView::makeScriptCard()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);

    auto *top = new QHBoxLayout;
    top->setSpacing(10);
    m_titleField = zunoGlassInputField(new QLineEdit(content), 8, 10, 7);
    m_titleField->setFont(ZunoFonts::system(14, QFont::DemiBold));
    connect(m_titleField, &QLineEdit::textEdited, this,
        [this](const QString &title) { m_viewModel.updateActiveScript(title, std::nullopt); });
    top->addWidget(m_titleField, 1);
    m_readingTime = new QLabel(content);
    m_readingTime->setFont(ZunoFonts::monospaced(12, QFont::Bold));
    m_readingTime->setStyleSheet(
        QStringLiteral("color: %1; background: %2; border-radius: 11px; padding: 5px 10px;")
            .arg(studioCssColor(m_accent), studioCssColor(ZunoGlassTokens::surface2())));
    top->addWidget(m_readingTime);
    layout->addLayout(top);

    m_bodyEditor = new QPlainTextEdit(content);
    QFont bodyFont = ZunoFonts::system(14);
    m_bodyEditor->setFont(bodyFont);
    m_bodyEditor->setMinimumHeight(180);
    m_bodyEditor->setFrameShape(QFrame::NoFrame);
    m_bodyEditor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab moves on to the next control, so that the keyboard can leave the script.
    m_bodyEditor->setTabChangesFocus(true);
    ZunoFocusRing::track(m_bodyEditor);
    ZunoFocusRing::addOverlay(m_bodyEditor, 10);
    m_bodyEditor->setStyleSheet(QStringLiteral(
        "QPlainTextEdit { background: rgba(0,0,0,0.25); border-radius: 10px; padding: 10px; %1 }")
                                    .arg(studioTextCss(ZunoGlassTokens::textPrimary())));
    connect(m_bodyEditor, &QPlainTextEdit::textChanged, this,
        [this] { m_viewModel.updateActiveScript(std::nullopt, m_bodyEditor->toPlainText()); });
    layout->addWidget(m_bodyEditor, 1);

    m_scriptCard = new ZunoGlassCard(16, 16, content, this);
    return m_scriptCard;
}

QWidget *TeleprompterStudioView::makeSettingsCard()
{
    auto *content = new QWidget;
    auto *layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(14);

    auto *sliders = new QHBoxLayout;
    sliders->setSpacing(16);
    m_pace = new StudioSliderControl(kMinimumWPM, kMaximumWPM, m_accent, content);
    connect(m_pace, &StudioSliderControl::valueChanged, this, [this](double value) {
        changeSettings([value](TeleprompterSettings &s) { s.wordsPerMinute = value; });
    });
    m_fontSize = new StudioSliderControl(kMinimumFontSize, kMaximumFontSize, m_accent, content);
    connect(m_fontSize, &StudioSliderControl::valueChanged, this,
        [this](double value) { changeSettings([value](TeleprompterSettings &s) { s.fontSize = value; }); });
    sliders->addWidget(m_pace, 1);
    sliders->addWidget(m_fontSize, 1);
    layout->addLayout(sliders);

    auto *switches = new QHBoxLayout;
    switches->setSpacing(20);
    m_voicePacing = makeStudioSwitch(content);
    m_voicePacing->setAccent(m_accent);
    connect(m_voicePacing, &ZunoGlassSwitch::toggled, this,
        [this](bool on) { changeSettings([on](TeleprompterSettings &s) { s.voicePacingEnabled = on; }); });
    m_screenShare = makeStudioSwitch(content);
    m_screenShare->setAccent(m_accent);
    connect(m_screenShare, &ZunoGlassSwitch::toggled, this,
        [this](bool on) { changeSettings([on](TeleprompterSettings &s) { s.hideFromScreenShare = on; }); });
    m_screenShareNote = new QLabel(content);
    m_screenShareNote->setFont(ZunoFonts::system(11));
    m_screenShareNote->setStyleSheet(studioTextCss(ZunoGlassTokens::textMuted()));
    switches->addWidget(m_voicePacing);
    switches->addWidget(m_screenShare);
    switches->addWidget(m_screenShareNote);
    switches->addStretch(1);
    layout->addLayout(switches);

    m_settingsCard = new ZunoGlassCard(14, 16, content, this);
    return m_settingsCard;
}

void TeleprompterStudioView::changeSettings(const std::function<void(TeleprompterSettings &)> &change)
{
    TeleprompterSettings settings = m_viewModel.teleprompter();
    change(settings);
    m_viewModel.setTeleprompter(settings);
    m_viewModel.applyTeleprompterSettings();
}

void TeleprompterStudioView::syncRows()
{
    const std::vector<TeleprompterScript> &scripts = m_viewModel.scripts();
    bool sameList = scripts.size() == m_rows.size();
    for (std::size_t i = 0; sameList && i < scripts.size(); ++i)
        sameList = scripts[i].id == m_rows[i]->id();
    if (!sameList) {
        // Later: the row's own trash button may be the one emitting right now.
        for (TeleprompterScriptRow *row : m_rows) {
            row->hide();
            m_rowsLayout->removeWidget(row);
            row->deleteLater();
        }
        m_rows.clear();
        for (const TeleprompterScript &script : scripts) {
            auto *row = new TeleprompterScriptRow(script.id, m_accent);
            const QUuid id = script.id;
            connect(row, &TeleprompterScriptRow::clicked, this,
                [this, id] { m_viewModel.setSelectedScriptID(id); });
            connect(row, &TeleprompterScriptRow::deleteRequested, this, [this, id] {
                for (const TeleprompterScript &candidate : m_viewModel.scripts()) {
                    if (candidate.id == id) {
                        m_viewModel.deleteScript(candidate);
                        return;
                    }
                }
            });
            m_rowsLayout->insertWidget(m_rowsLayout->count() - 1, row);
            m_rows.push_back(row);
        }
    }
    const std::optional<std::size_t> active = m_viewModel.activeScriptIndex();
    for (std::size_t i = 0; i < scripts.size(); ++i) {
        m_rows[i]->setTexts(scripts[i].title, wordCountText(scripts[i].body));
        m_rows[i]->setSelected(active && *active == i);
        m_rows[i]->setDeletable(scripts.size() >= 2);
    }
}

void TeleprompterStudioView::syncEditor()
{
    const std::optional<std::size_t> index = m_viewModel.activeScriptIndex();
    m_scriptCard->setVisible(index.has_value());
    m_settingsCard->setVisible(index.has_value());
    m_remoteCard->setVisible(index.has_value());
    if (!index) {
        m_loadedID.reset();
        return;
    }
    const TeleprompterScript &script = m_viewModel.scripts()[*index];
    const bool other = m_loadedID != script.id;
    m_loadedID = script.id;
    // Only text that differs is replaced, and the caret is kept, so typing is never disturbed by the
    // model echoing the edit back.
    if (other || m_titleField->text() != script.title) {
        const QSignalBlocker blocker(m_titleField);
        const int caret = m_titleField->cursorPosition();
        m_titleField->setText(script.title);
        if (!other)
            m_titleField->setCursorPosition(std::min(caret, static_cast<int>(script.title.size())));
    }
    if (other || m_bodyEditor->toPlainText() != script.body) {
        const QSignalBlocker blocker(m_bodyEditor);
        const int caret = m_bodyEditor->textCursor().position();
        m_bodyEditor->setPlainText(script.body);
        if (!other) {
            QTextCursor cursor = m_bodyEditor->textCursor();
            cursor.setPosition(std::min(caret, static_cast<int>(script.body.size())));
            m_bodyEditor->setTextCursor(cursor);
        }
    }
    m_readingTime->setText(readingTimeText(TeleprompterPacingEngine::estimatedReadingSeconds(
                                               script.body, m_viewModel.teleprompter().wordsPerMinute),
        m_viewModel.language() == ZunoLanguage::tr));
}

void TeleprompterStudioView::syncSettings()
{
    const TeleprompterSettings &settings = m_viewModel.teleprompter();
    m_pace->setValue(settings.wordsPerMinute, QString::number(wholePart(settings.wordsPerMinute)));
    m_fontSize->setValue(settings.fontSize, QStringLiteral("%1pt").arg(wholePart(settings.fontSize)));
    {
        const QSignalBlocker blocker(m_voicePacing);
        m_voicePacing->setChecked(settings.voicePacingEnabled);
    }
    {
        // Without the capability the switch claims nothing; the stored value stays as it is.
        const QSignalBlocker blocker(m_screenShare);
        m_screenShare->setEnabled(m_screenShareAvailable);
        m_screenShare->setChecked(m_screenShareAvailable && settings.hideFromScreenShare);
    }
    m_screenShareNote->setVisible(!m_screenShareAvailable);
}

void TeleprompterStudioView::relabel()
{
    m_scriptsHeader->setText(text(QStringLiteral("Scripts"), QStringLiteral("Senaryolar")));
    m_titleField->setPlaceholderText(text(QStringLiteral("Script Title"), QStringLiteral("Senaryo Başlığı")));
    m_pace->setTitle(text(QStringLiteral("Pace (WPM)"), QStringLiteral("Hız (Kelime/dk)")));
    m_fontSize->setTitle(text(QStringLiteral("Font Size"), QStringLiteral("Yazı Boyutu")));
    m_voicePacing->setText(text(QStringLiteral("Voice-Paced Scrolling (Auto-Pause on Silence)"),
        QStringLiteral("Sesle Akış (Susunca Otomatik Duraklat)")));
    m_screenShare->setText(
        text(QStringLiteral("Invisible in Screen Share"), QStringLiteral("Ekran Paylaşımında Gizli")));
    m_screenShareNote->setText(
        text(QStringLiteral("Not available on this desktop"), QStringLiteral("Bu masaüstünde kullanılamaz")));
    syncRows();
    syncEditor();
    syncSettings();
}

QString TeleprompterStudioView::text(const QString &en, const QString &tr) const
{
    return zunoText(en, tr, m_viewModel.language());
}

QString TeleprompterStudioView::wordCountText(const QString &body) const
{
    const qint64 count = TeleprompterPacingEngine::wordCount(body);
    return text(QStringLiteral("%1 words"), QStringLiteral("%1 kelime")).arg(count);
}
