#pragma once

// Shared by the fuzz harnesses: an invariant check that aborts, so libFuzzer keeps the
// input as a crash, and a message handler that keeps the protocol's debug lines quiet.

#include <QtGlobal>

#include <cstdio>

// qFatal aborts after its message, in release builds too.
#define FUZZ_REQUIRE(condition)                                                               \
    do {                                                                                      \
        if (!(condition))                                                                     \
            qFatal("%s:%d: invariant broken: %s", __FILE__, __LINE__, #condition);            \
    } while (false)

namespace Fuzz {

// Every rejected frame writes a debug line; at thousands of inputs a second they would
// drown the fuzzer's own output. Warnings and worse still reach the terminal, and a
// failed Q_ASSERT or invariant still aborts after its message.
inline void quietQtMessages()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type != QtDebugMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
}

} // namespace Fuzz
