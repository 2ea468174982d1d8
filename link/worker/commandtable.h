#pragma once

// Every controller command the worker runs, found by its command code.

class CommandLine;

namespace Commands {

using Function = void (*)(CommandLine &);

// The command of `code`; null for a code that is no command of the window (0, 130, ...).
Function find(int code);

} // namespace Commands
