#pragma once

#include "ZunoAppVersion.h"
#include "ZunoFeedbackKind.h"
#include "ZunoFeedbackReceipt.h"
#include "ZunoFeedbackScreenshot.h"
#include "ZunoLanguage.h"
#include "ZunoProductPalette.h"

#include <QList>
#include <QMap>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>
#include <stop_token>

class QAbstractButton;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QVBoxLayout;
class ZunoBrandMark;
class ZunoButton;
class ZunoHttpSession;

// The framework's in-application feedback composer: choose what the feedback is about, give an e-mail,
// an optional name, a title and the details, attach up to five screenshots (pasted or picked from
// disk) and send; a receipt card with the reference code replaces the form on success, an error row
// shows what went wrong with everything typed kept. The send runs on a worker with the values of the
// moment it was pressed; only the send button waits for it. A sheet destroyed meanwhile drops the
// result, and the transfer is stopped when the sheet goes or the application quits. Hints follow the
// sheet's language, error texts the interface's current language. Main thread only.
class ZunoFeedbackSheet : public QWidget {
    Q_OBJECT
public:
    using FileChooser = std::function<QStringList()>;

    static constexpr int kMinimumWidth = 560;
    static constexpr int kMinimumHeight = 540;

    ZunoFeedbackSheet(const QString &appName, const ZunoAppVersion &version, ZunoProductPalette palette,
        ZunoLanguage language, const std::optional<QString> &baseURL, std::function<void()> onClose,
        QWidget *parent = nullptr);
    ~ZunoFeedbackSheet() override;

    QString appName() const { return m_appName; }
    ZunoAppVersion version() const { return m_version; }
    ZunoLanguage language() const { return m_language; }
    bool hasCloseAction() const { return static_cast<bool>(m_onClose); }

    // The state, in the order the form shows it.
    ZunoFeedbackKind kind() const { return m_kind; }
    QString email() const { return m_email; }
    QString senderName() const { return m_senderName; }
    QString subject() const { return m_subject; }
    QString message() const { return m_message; }
    const QList<ZunoFeedbackScreenshot> &screenshots() const { return m_screenshots; }
    bool isSubmitting() const { return m_isSubmitting; }
    std::optional<QString> errorMessage() const { return m_errorMessage; }
    std::optional<QString> statusHint() const { return m_statusHint; }
    std::optional<ZunoFeedbackReceipt> receipt() const { return m_receipt; }

    // The operations behind the controls.
    void chooseKind(ZunoFeedbackKind kind);
    void pasteFromClipboard();
    // Asks the file chooser (a modal file dialog unless replaced), then adds the chosen files.
    void pickScreenshotsFromDisk();
    void addPickedFiles(const QStringList &paths);
    void removeScreenshot(const QUuid &id);
    void submitFeedback();
    void sendAnother();
    void openInBrowser();

    // Replaces the file dialog (tests, demos).
    void setFileChooser(FileChooser chooser) { m_fileChooser = std::move(chooser); }
    // The session sends go through; the process's shared one unless replaced.
    void setHttpSession(std::shared_ptr<ZunoHttpSession> session);

    // Parts, for hosts and tests. `closeButton` and `doneButton` are null without `onClose`.
    ZunoBrandMark *brandMark() const { return m_brandMark; }
    QAbstractButton *closeButton() const { return m_closeButton; }
    QAbstractButton *kindTile(ZunoFeedbackKind kind) const { return m_kindTiles.value(kind); }
    QLineEdit *emailField() const { return m_emailField; }
    QLineEdit *nameField() const { return m_nameField; }
    QLineEdit *subjectField() const { return m_subjectField; }
    QPlainTextEdit *messageEditor() const { return m_messageEditor; }
    ZunoButton *pasteButton() const { return m_pasteButton; }
    ZunoButton *chooseButton() const { return m_chooseButton; }
    ZunoButton *openInBrowserButton() const { return m_openInBrowserButton; }
    ZunoButton *sendButton() const { return m_sendButton; }
    ZunoButton *sendAnotherButton() const { return m_sendAnotherButton; }
    ZunoButton *doneButton() const { return m_doneButton; }
    QWidget *composerForm() const { return m_form; }
    QWidget *receiptCard() const { return m_receiptCard; }
    QWidget *errorRow() const { return m_errorRow; }
    QLabel *errorLabel() const { return m_errorLabel; }
    QLabel *hintLabel() const { return m_hintLabel; }
    // One tile per screenshot, in order.
    QWidget *thumbnailStrip() const { return m_thumbnails; }

    // As tall as the whole form and its action row, at its minimum width or more; it follows the form.
    QSize sizeHint() const override;

signals:
    // Any change of the state above.
    void stateChanged();
    void submittingChanged(bool submitting);

protected:
    void keyPressEvent(QKeyEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildHeader();
    QWidget *buildKindCard();
    QWidget *buildFieldsCard();
    QWidget *buildScreenshotsCard();
    QWidget *buildErrorRow();
    QWidget *buildActionRow();
    QWidget *buildReceiptCard();
    QString text(const char *en, const char *tr) const;
    void setError(std::optional<QString> error);
    void setHint(std::optional<QString> hint);
    void setSubmitting(bool submitting);
    void finishSubmission(std::optional<ZunoFeedbackReceipt> receipt, const QString &error);
    void syncKind();
    void syncThumbnails();
    void syncFace();
    void syncSendButton();

    const QString m_appName;
    const ZunoAppVersion m_version;
    const ZunoProductPalette m_palette;
    const ZunoLanguage m_language;
    const std::optional<QString> m_baseURL;
    const std::function<void()> m_onClose;
    FileChooser m_fileChooser;
    std::shared_ptr<ZunoHttpSession> m_session;
    std::stop_source m_stop;

    ZunoFeedbackKind m_kind = ZunoFeedbackKind::feature;
    QString m_email;
    QString m_senderName;
    QString m_subject;
    QString m_message;
    QList<ZunoFeedbackScreenshot> m_screenshots;
    bool m_isSubmitting = false;
    std::optional<QString> m_errorMessage;
    std::optional<QString> m_statusHint;
    std::optional<ZunoFeedbackReceipt> m_receipt;

    ZunoBrandMark *m_brandMark = nullptr;
    QAbstractButton *m_closeButton = nullptr;
    QMap<ZunoFeedbackKind, QAbstractButton *> m_kindTiles;
    QLineEdit *m_emailField = nullptr;
    QLineEdit *m_nameField = nullptr;
    QLineEdit *m_subjectField = nullptr;
    QPlainTextEdit *m_messageEditor = nullptr;
    ZunoButton *m_pasteButton = nullptr;
    ZunoButton *m_chooseButton = nullptr;
    ZunoButton *m_openInBrowserButton = nullptr;
    ZunoButton *m_sendButton = nullptr;
    ZunoButton *m_sendAnotherButton = nullptr;
    ZunoButton *m_doneButton = nullptr;
    QWidget *m_page = nullptr;
    QWidget *m_actionRow = nullptr;
    QWidget *m_form = nullptr;
    QWidget *m_receiptCard = nullptr;
    QWidget *m_errorRow = nullptr;
    QLabel *m_errorLabel = nullptr;
    QLabel *m_hintLabel = nullptr;
    QWidget *m_thumbnails = nullptr;
    QVBoxLayout *m_receiptLayout = nullptr;
    QLabel *m_receiptMessage = nullptr;
    QLabel *m_receiptReference = nullptr;
    QLabel *m_receiptAttachments = nullptr;
};
