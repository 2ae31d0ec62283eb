// The exit codes of the console program: the contract scripts rely on. --help prints them from
// here; the README documents the same.
#pragma once

enum ExitCode {
    ExitAllDone = 0,  // everything found was restored (or would be, or undone), or nothing found
    ExitSomeLeft = 1, // some damaged entries were left, or renames not undone
    ExitBadInput = 2, // bad usage, a PATH that is no folder, a file that is no journal
    ExitJournalFailed = 3, // the journal could not be created or written
};

// What each code means, in the overview of --help and on decrypt's own page (null: decrypt never
// ends with it).
struct ExitCodeHelp {
    ExitCode code;
    const wchar_t* overview;
    const wchar_t* decrypt;
};
constexpr ExitCodeHelp ExitCodeHelps[] = {
    {ExitAllDone, L"all done: restored (or would be), undone or decrypted; or nothing found",
     L"all decrypted"},
    {ExitSomeLeft, L"something was left: a name taken, a rename refused, a file not decrypted",
     L"some not"},
    {ExitBadInput, L"bad usage or bad input: unknown option, no such folder, not a journal",
     L"bad usage or input: none decrypted"},
    {ExitJournalFailed, L"the journal could not be written; without it nothing is renamed",
     nullptr},
};
