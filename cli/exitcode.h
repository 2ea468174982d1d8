#pragma once

// How lumaro-cli ends, for the scripts that run it; the numbers never change.

namespace ExitCode {

enum Code {
    Done = 0,
    Usage = 2,        // bad arguments or a file that cannot be used; nothing sent
    PortFailed = 3,   // the port cannot be opened
    NoConnection = 4, // the controller does not answer
    WrongPassword = 5,
    UnsupportedFirmware = 6, // the controller runs firmware this utility cannot configure
    Refused = 7,             // a write check or an unanswered question; nothing sent
    ReadBackDiffers = 8,     // the controller holds something else than was written
    HistoryUnavailable = 9,  // a history command cannot open the configuration history
    Interrupted = 130,       // SIGINT, as shells count it
};

} // namespace ExitCode
