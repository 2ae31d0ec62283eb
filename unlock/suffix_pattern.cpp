// The pattern of damaged names, apart from the dialog's worker so the console program has it
// without the dialog's texts.
#include "unlock/walk_tree.h"

const wchar_t SuffixPattern[] = L"* *-* ";
