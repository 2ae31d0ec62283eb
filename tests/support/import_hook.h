// Swaps an entry of this executable's import table, so a test can make a system call fail or
// see a file appear at a chosen moment without any hook in the product code.
#pragma once

// Returns the previous entry, or null when the import is not found.
void* ReplaceImport(const char* dllName, const char* functionName, void* replacement);
