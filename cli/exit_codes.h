// The exit codes of the console program: the contract scripts rely on, documented in --help and
// the README.
#pragma once

enum ExitCode {
    ExitAllDone = 0,  // everything found was restored (or would be, or undone), or nothing found
    ExitSomeLeft = 1, // some damaged entries were left, or renames not undone
    ExitBadInput = 2, // bad usage, a PATH that is no folder, a file that is no journal
    ExitJournalFailed = 3, // the journal could not be created or written
};
