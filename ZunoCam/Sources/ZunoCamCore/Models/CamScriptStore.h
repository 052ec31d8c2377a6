#pragma once

#include "CamPersistedPayload.h"

#include <QString>

#include <functional>
#include <optional>

// Reads and writes the studio document, "zunocam-store.json", one pretty-printed JSON object with
// sorted keys. Holds no copy of the document: each load() reads the file afresh and each save()
// replaces it atomically, so the file is always the last document saved successfully.
//
// A document that fails to load is never silently overwritten: the first save after such a load
// first moves the unreadable file aside ("zunocam-store.corrupt-<time>.json") so the user's scripts
// can be recovered. A failed save is returned to the caller and reported to the message handler.
// Opening a store removes the temporary files that saves cut short by a kill left beside the document.
//
// Not thread-safe: the studio calls it from its main thread only; all file work is synchronous.
class CamScriptStore {
public:
    enum class MessageLevel { warn, error };
    // Receives what the store must not swallow; without one, messages go to Qt's warning output.
    using MessageHandler = std::function<void(MessageLevel level, const QString &message)>;

    struct SaveResult {
        bool ok = true;
        QString message; // why the document was not written; empty when it was
        // Where this save moved an unreadable document before writing, for telling the user once.
        std::optional<QString> rescuedFileURL;
        explicit operator bool() const { return ok; }
    };

    // `directory` defaults to "ZunoCam" in the user's Application Support folder. The folder is
    // created with any missing parents; a failure to do so shows only when saving.
    explicit CamScriptStore(const std::optional<QString> &directory = std::nullopt);

    QString fileURL() const { return m_fileURL; }
    void setMessageHandler(MessageHandler handler) { m_messageHandler = std::move(handler); }

    // The stored document, or the default document when the file is missing, unreadable or not a
    // valid document (one bad value anywhere rejects all of it). Never fails; writes nothing.
    CamPersistedPayload load();

    // Writes the whole document atomically: a crash or a failed write leaves the previous file as it
    // was. After a load that found an unreadable file, that file is first moved aside.
    SaveResult save(const CamPersistedPayload &payload);

    // The name the unreadable document was moved to by the last rescue, if any.
    std::optional<QString> rescuedFileURL() const { return m_rescuedFileURL; }

private:
    bool rescueUnreadableDocument(QString *failure);
    void report(MessageLevel level, const QString &message) const;

    QString m_directory;
    QString m_fileURL;
    bool m_unreadableOnDisk = false; // the last load found a file it could not read
    std::optional<QString> m_rescuedFileURL;
    MessageHandler m_messageHandler;
};
