// What a damaged name is, and what it becomes: the one rule behind the walk's pattern, the
// rename, scan's prediction and the journal reader. Windows-free so that it is tested natively
// and fuzzed.
#pragma once
#include <cstddef>

// The pattern of damaged names, which every walk of every program looks for: "* *-* ", star,
// space, star, hyphen, star, space (the last character is a space). The platform's listing
// matches it against each name; CarriesDamageSuffix is the same test on a name in hand.
extern const wchar_t SuffixPattern[];

// 1 when name (an entry's name, no folder) could match pattern (made of '*', '?' and plain
// characters) as the platform's listing matches it: '*' any run of characters, '?' any one
// (or none at the end), letters in either case. Never 0 where the platform would match; sometimes 1
// where it would not, as a letter outside ASCII is taken to match any letter (case mappings of
// other scripts can meet ASCII ones). The walk lists a folder's matches only when one of its names
// could match, so a damaged name another program makes in a folder found clean, while the walk is
// below it, is left for the next run. The walk's patterns are never matched by the short names
// the file system makes up: those hold no spaces and no extension of more than three letters.
int NameCouldMatch(const wchar_t* name, const wchar_t* pattern);

// 1 when the final name of path (after its last '\') matches SuffixPattern: a space, later a
// hyphen, and a space as the name's last character.
int CarriesDamageSuffix(const wchar_t* path);

// The rule that gives a damaged entry its name back: cut the path at its last space, then at
// the last space before that. Writes the restored path into restored (capacity wide characters,
// terminator included) and returns 1 when a rename to it is to be tried; returns 0 and leaves
// restored as an empty string when the entry is to be left alone:
//   - the path does not fit in restored;
//   - the final name (after the last '\') holds fewer than two spaces, so a cut would fall
//     into a directory name and move the entry elsewhere;
//   - the restored name would be empty, "." or "..", which names no entry of its own.
int CutRestoredName(const wchar_t* path, wchar_t* restored, size_t capacity);

// The name Windows Explorer gives a copy, for a restored name that is taken: the file
// "photo.jpg" as "photo (2).jpg" (the number before the last dot of the name, unless that dot
// begins it), the folder "Work" as "Work (2)". Writes path with its final name so changed into out
// (capacity wide characters, terminator included); number is 2 or more. Returns 0 when it does
// not fit.
int CopyNameOf(const wchar_t* path, int isFolder, int number, wchar_t* out, size_t capacity);

// 1 when candidate is path with its final name in a copy's form (CopyNameOf, as a file or as a
// folder, any number of 2 or more written without leading zeros).
int IsCopyNameOf(const wchar_t* candidate, const wchar_t* path);
