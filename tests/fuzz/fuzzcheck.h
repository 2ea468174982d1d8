#pragma once

// Shared by the fuzz harnesses: an invariant check that aborts, so libFuzzer keeps the
// input as a crash, and a message handler that keeps the protocol's debug lines quiet.

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

#define FUZZ_REQUIRE(condition)                                                               \
    do {                                                                                      \
        if (!(condition))                                                                     \
            Fuzz::fail(#condition, __FILE__, __LINE__);                                       \
    } while (false)

namespace Fuzz {

[[noreturn]] inline void fail(const char *condition, const char *file, int line)
{
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::fflush(stderr);
    std::abort();
}

// Every rejected frame writes a debug line; at thousands of inputs a second they would
// drown the fuzzer's own output. Warnings and worse still reach the terminal, and a
// failed Q_ASSERT still aborts after its message.
inline void quietQtMessages()
{
    qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &message) {
        if (type != QtDebugMsg && type != QtInfoMsg)
            std::fprintf(stderr, "%s\n", qPrintable(message));
    });
}

} // namespace Fuzz
