// libFuzzer target: the name rule on arbitrary paths and buffer sizes, against a plain reading of
// the rule on std::wstring. The restored path is written into a buffer of exactly the given
// capacity, so AddressSanitizer sees any write past it.
// Input: one byte of capacity (0..255, or 256..1279 when its top bit is set), then the path as
// 16-bit units, little-endian.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>
#include "unlock/name_rule.h"

namespace {

void Check(bool condition) {
    if (!condition)
        abort();
}

// The rule as stated: both cuts, at the last space and at the last space before it, fall inside
// the final name; the name left is neither empty, "." nor "..", and the result fits capacity.
bool ReferenceCut(const std::wstring& path, size_t capacity, std::wstring* restored) {
    if (path.size() + 1 > capacity)
        return false;
    size_t separator = path.rfind(L'\\');
    size_t nameStart = separator == std::wstring::npos ? 0 : separator + 1;
    size_t last = path.rfind(L' ');
    if (last == std::wstring::npos || last < nameStart || last == 0)
        return false;
    size_t before = path.rfind(L' ', last - 1);
    if (before == std::wstring::npos || before < nameStart)
        return false;
    std::wstring name = path.substr(nameStart, before - nameStart);
    if (name.empty() || name == L"." || name == L"..")
        return false;
    *restored = path.substr(0, before);
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1)
        return 0;
    size_t capacity = data[0] & 0x80 ? 256 + (data[0] & 0x7F) * 8 : data[0];
    std::wstring path;
    for (size_t i = 1; i + 1 < size; i += 2) {
        wchar_t unit = static_cast<wchar_t>(data[i] | (data[i + 1] << 8));
        if (unit == L'\0')
            break;
        path.push_back(unit);
    }
    std::vector<wchar_t> buffer(capacity);
    wchar_t* restored = capacity > 0 ? buffer.data() : nullptr;
    int cut = CutRestoredName(path.c_str(), restored, capacity);
    std::wstring expected;
    bool expectedCut = ReferenceCut(path, capacity, &expected);
    Check(cut == (expectedCut ? 1 : 0));
    if (!cut) {
        Check(capacity == 0 || restored[0] == L'\0');
        return 0;
    }
    std::wstring result(restored);
    Check(result == expected);
    // Same folder; what is cut off is a space, a word, a space and whatever follows the last
    // space, all inside the final name.
    Check(path.compare(0, result.size(), result) == 0);
    std::wstring tail = path.substr(result.size());
    Check(tail.size() >= 2 && tail.front() == L' ');
    size_t spaces = 0;
    for (wchar_t c : tail)
        spaces += c == L' ' ? 1 : 0;
    Check(spaces == 2);
    Check(tail.find(L'\\') == std::wstring::npos);
    return 0;
}
