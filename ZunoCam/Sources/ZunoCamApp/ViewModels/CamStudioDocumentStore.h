#pragma once

#include "CamPersistedPayload.h"
#include "CamScriptStore.h"

// Where the studio document is read and written. The real one is CamScriptStore; tests wrap it to
// count reads and writes. load() runs once on the main thread at start-up; save() and the message
// handler run on the studio's document writer thread.
class CamStudioDocumentStore {
public:
    virtual ~CamStudioDocumentStore() = default;

    virtual CamPersistedPayload load() = 0;
    virtual CamScriptStore::SaveResult save(const CamPersistedPayload &payload) = 0;
    virtual void setMessageHandler(CamScriptStore::MessageHandler handler) = 0;
};
