#pragma once

// A test helper header: its checks are read too.
inline void expectReady(bool ready)
{
    QVERIFY(ready);
}
