// What checking the outputs costs: every ".crypt" file of a folder is decrypted twice a round, once
// with its format's check and once without, in turn and in alternating order, each output removed
// before the next pass; the best of several rounds for each type and for the whole folder. The
// check is then run alone on each checked output's bytes, so a slow type shows whether its check
// or the way the stream overlaps it costs the time; for ZIP and gzip outputs zlib's inflation is
// timed bare as well, and a last pass of each type tells how many processors were busy.
//   check_bench.exe FOLDER [ROUNDS]
// The key of each file comes from FOLDER\KEYS ("name key" lines), else from its type's signature.
// Files named "NN-NAME.crypt" are grouped by NAME, others by the type before ".crypt".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <zlib.h>

#include "recovery/decrypt_file.h"
#include "recovery/key_files.h"
#include "recovery/key_identify.h"
#include "recovery/output_check.h"
#include "common/run_state.h"

RunStateRecord RunState; // the engine's shared record, without the unlock run that owns it

namespace {

constexpr double TargetRatio = 0.9;
// The stream hands the check chunks that double from the first chunk up to this size.
constexpr uint32_t LargestFeed = 2u << 20;

// Where an inflating check's time goes: zlib inflating into the check's 32 KiB buffer alone,
// with the CRC-32 of each piece as the check takes it, and into larger buffers alone (zlib copies
// each call's output into its window, all of it when the buffer is no larger than the window).
enum InflateWay : int {
    InflateInto32k,
    InflateInto32kWithCrc,
    InflateInto256k,
    InflateInto2m,
    InflateWays,
};
const uint32_t InflateBufferSizes[InflateWays] = {32u << 10, 32u << 10, 256u << 10, 2u << 20};
const char* const InflateWayWords[InflateWays] = {"32 KiB buffer", "32 KiB buffer + CRC-32",
                                                  "256 KiB buffer", "2 MiB buffer"};

struct BenchFile {
    std::wstring path;
    std::wstring name;
    int32_t selector;
    CheckFormat format;
    size_t group;
    uint64_t size;
};

struct Group {
    std::wstring label;
    CheckFormat format;
    int files;
    uint64_t bytes;
    double bestChecked, bestUnchecked, bestAlone;
    double roundChecked, roundUnchecked, roundAlone;
    // One more pass of the type's files in a row each way, after the rounds: its wall and
    // processor seconds (the system counts the latter in steps too coarse for one file).
    double rowSeconds[2], rowProcessor[2];
    // Counted over every round's checked pass, by CheckVerdict, and the times the check run
    // alone on the same bytes came to another verdict.
    int verdicts[3];
    int aloneDisagrees;
    double bestInflate[InflateWays], roundInflate[InflateWays];
    uint64_t inflated; // the bytes the deflate streams of one round's outputs inflate to
    uint64_t roundInflated;
};

double Seconds() {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Every thread's time on a processor: the decryption's two and the one that reads, writes and
// checks, whose sum beside the wall time tells whether the check had a processor to itself.
double ProcessorSeconds() {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(GetCurrentProcess(), &created, &ended, &kernel, &user)) {
        return 0;
    }
    auto seconds = [](const FILETIME& t) {
        return static_cast<double>(static_cast<uint64_t>(t.dwHighDateTime) << 32 |
                                   t.dwLowDateTime) /
               1e7;
    };
    return seconds(kernel) + seconds(user);
}

const char* VerdictWord(CheckVerdict verdict) {
    switch (verdict) {
    case CheckPassed:
        return "checked";
    case CheckFailed:
        return "check failed";
    default:
        return "not checkable";
    }
}

const char* FormatWord(CheckFormat format) {
    static const char* const words[CheckFormatCount] = {
        "none", "zip", "png", "gzip", "jpeg", "pdf", "bmp", "sqlite", "7z", "rar", "gif"};
    return format >= 0 && format < CheckFormatCount ? words[format] : "?";
}

CheckFormat CheckFormatOf(const wchar_t* path) {
    uint32_t length = 0;
    const wchar_t* extension = TypeExtensionOfCryptName(path, &length);
    return extension != nullptr ? CheckFormatOfExtension(extension, length) : CheckFormatNone;
}

std::wstring GroupLabelOf(const std::wstring& name) {
    std::wstring bare = name.substr(0, name.size() - CryptExtensionLength);
    size_t digits = 0;
    while (digits < bare.size() && bare[digits] >= L'0' && bare[digits] <= L'9') {
        ++digits;
    }
    if (digits > 0 && digits + 1 < bare.size() && bare[digits] == L'-') {
        return bare.substr(digits + 1);
    }
    size_t dot = bare.rfind(L'.');
    return dot == std::wstring::npos ? std::wstring(L"(no type)") : bare.substr(dot + 1);
}

// The "name key" lines of the maker's KEYS file, if the folder has one; the names are ASCII.
std::string ReadKeysFile(const std::wstring& folder) {
    std::string text;
    HANDLE file = CreateFileW((folder + L"KEYS").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return text;
    }
    char buffer[4096];
    DWORD done = 0;
    while (ReadFile(file, buffer, sizeof buffer, &done, nullptr) && done != 0) {
        text.append(buffer, done);
    }
    CloseHandle(file);
    return text;
}

int32_t ListedKey(const std::string& keys, const std::wstring& name) {
    std::string narrow(name.begin(), name.end());
    size_t at = 0;
    while (at < keys.size()) {
        size_t end = keys.find('\n', at);
        std::string line = keys.substr(at, end == std::string::npos ? std::string::npos : end - at);
        at = end == std::string::npos ? keys.size() : end + 1;
        if (line.size() > narrow.size() + 1 && line.compare(0, narrow.size(), narrow) == 0 &&
            line[narrow.size()] == ' ') {
            return std::atoi(line.c_str() + narrow.size() + 1);
        }
    }
    return KeySelectorNone;
}

std::vector<BenchFile> ListFiles(const std::wstring& folder) {
    std::vector<BenchFile> files;
    WIN32_FIND_DATAW entry;
    HANDLE search = FindFirstFileW((folder + L"*.crypt").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        return files;
    }
    do {
        if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
            BenchFile file = {};
            file.name = entry.cFileName;
            file.path = folder + entry.cFileName;
            file.size = static_cast<uint64_t>(entry.nFileSizeHigh) << 32 | entry.nFileSizeLow;
            files.push_back(file);
        }
    } while (FindNextFileW(search, &entry));
    FindClose(search);
    std::sort(files.begin(), files.end(),
              [](const BenchFile& a, const BenchFile& b) { return a.name < b.name; });
    return files;
}

std::wstring OutputPathOf(const BenchFile& file, int32_t counter) {
    wchar_t name[DecryptFileNameCapacity];
    if (!DecryptedNameOf(file.path.c_str(), DecryptOutputNames, counter, name,
                         DecryptFileNameCapacity)) {
        return std::wstring();
    }
    return file.path.substr(0, file.path.size() - file.name.size()) + name;
}

// One decryption of the file, timed; the output stays for the caller to look at and remove.
// Returns the seconds, or a negative number when the file was not decrypted.
double TimedDecrypt(const BenchFile& file, CheckFormat format, DecryptTarget* target) {
    RunState.KeySelector = file.selector;
    *target = DecryptTarget{};
    target->pathCapacity = DecryptLongPathCapacity;
    target->checkFormat = format;
    double start = Seconds();
    DecryptResult result = DecryptCryptFileAs(file.path.c_str(), target);
    double seconds = Seconds() - start;
    if (result != DecryptOk) {
        std::printf("FAILED: %ls: decrypt result %d, system error %u\n", file.name.c_str(),
                    static_cast<int>(result), target->systemError);
        return -1;
    }
    return seconds;
}

bool ReadWhole(const std::wstring& path, std::vector<uint8_t>* bytes) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    LARGE_INTEGER size;
    bool read = GetFileSizeEx(file, &size) != 0;
    if (read) {
        bytes->resize(static_cast<size_t>(size.QuadPart));
        size_t at = 0;
        while (read && at < bytes->size()) {
            DWORD count = static_cast<DWORD>(std::min<size_t>(bytes->size() - at, 1u << 24));
            DWORD done = 0;
            read = ReadFile(file, bytes->data() + at, count, &done, nullptr) && done == count;
            at += done;
        }
    }
    CloseHandle(file);
    return read;
}

struct MemoryFile {
    const std::vector<uint8_t>* bytes;
};

uint32_t ReadMemoryAt(void* file, uint64_t offset, uint8_t* bytes, uint32_t count) {
    const std::vector<uint8_t>& whole = *static_cast<MemoryFile*>(file)->bytes;
    if (offset >= whole.size()) {
        return 0;
    }
    uint32_t done = static_cast<uint32_t>(std::min<uint64_t>(count, whole.size() - offset));
    std::memcpy(bytes, whole.data() + offset, done);
    return done;
}

// The check alone on bytes in memory, fed in the chunks the stream hands it; returns the seconds.
double TimedCheckAlone(CheckFormat format, const std::vector<uint8_t>& bytes, CheckReport* report) {
    MemoryFile memory = {&bytes};
    CheckReadBack readBack = {ReadMemoryAt, &memory};
    double start = Seconds();
    OutputCheck* check = StartOutputCheck(format, bytes.size());
    uint32_t chunk = DecryptChunkSize;
    for (size_t at = 0; at < bytes.size();) {
        uint32_t count = static_cast<uint32_t>(std::min<size_t>(chunk, bytes.size() - at));
        FeedOutputCheck(check, bytes.data() + at, count);
        at += count;
        chunk = chunk < LargestFeed ? 2 * chunk : LargestFeed;
    }
    FinishOutputCheck(check, &readBack, report);
    EndOutputCheck(check);
    return Seconds() - start;
}

struct DeflateSpan {
    size_t at;
    size_t size;
};

uint32_t LoadLe(const uint8_t* bytes, int count) {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) {
        value = value << 8 | bytes[i];
    }
    return value;
}

// The deflate streams of a gzip file's first member or of a ZIP's deflated entries whose local
// headers give their sizes; enough for the maker's files, not a check of anything.
std::vector<DeflateSpan> DeflateStreamsOf(CheckFormat format, const std::vector<uint8_t>& bytes) {
    std::vector<DeflateSpan> spans;
    const uint8_t* b = bytes.data();
    size_t size = bytes.size();
    if (format == CheckFormatGzip && size > 18) {
        uint8_t flags = b[3];
        size_t at = 10;
        if ((flags & 4) != 0 && at + 2 <= size) {
            at += 2 + LoadLe(b + at, 2);
        }
        for (uint8_t text : {8, 16}) {
            if ((flags & text) != 0) {
                while (at < size && b[at] != 0) {
                    ++at;
                }
                ++at;
            }
        }
        at += (flags & 2) != 0 ? 2 : 0;
        if (at + 8 <= size) {
            spans.push_back({at, size - 8 - at});
        }
    } else if (format == CheckFormatZip) {
        size_t at = 0;
        while (at + 30 <= size && LoadLe(b + at, 4) == 0x04034b50) {
            uint32_t flags = LoadLe(b + at + 6, 2), method = LoadLe(b + at + 8, 2);
            size_t data = at + 30 + LoadLe(b + at + 26, 2) + LoadLe(b + at + 28, 2);
            size_t compressed = LoadLe(b + at + 18, 4);
            if ((flags & 8) != 0 || data + compressed > size) {
                break;
            }
            if (method == 8) {
                spans.push_back({data, compressed});
            }
            at = data + compressed;
        }
    }
    return spans;
}

// Inflates every stream in the way given; returns the seconds, the bytes made in *inflated.
double TimedInflate(const std::vector<uint8_t>& bytes, const std::vector<DeflateSpan>& spans,
                    InflateWay way, uint64_t* inflated) {
    static uint8_t output[2u << 20];
    uint32_t room = InflateBufferSizes[way];
    *inflated = 0;
    double start = Seconds();
    for (const DeflateSpan& span : spans) {
        z_stream stream = {};
        if (inflateInit2(&stream, -15) != Z_OK) {
            continue;
        }
        stream.next_in = const_cast<Bytef*>(bytes.data() + span.at);
        stream.avail_in = static_cast<uInt>(span.size);
        uLong crc = 0;
        int result = Z_OK;
        while (result == Z_OK) {
            stream.next_out = output;
            stream.avail_out = room;
            result = inflate(&stream, Z_NO_FLUSH);
            uInt made = room - stream.avail_out;
            if (way == InflateInto32kWithCrc) {
                crc = crc32(crc, output, made);
            }
            *inflated += made;
            if (result == Z_BUF_ERROR && made != 0) {
                result = Z_OK;
            }
        }
        inflateEnd(&stream);
    }
    return Seconds() - start;
}

void PrintLine(const char* label, double checked, double unchecked) {
    double ratio = unchecked / checked;
    std::printf("%s checked %.3f s unchecked %.3f s ratio %.3f (target >= %.1f)%s\n", label,
                checked, unchecked, ratio, TargetRatio, ratio < TargetRatio ? " BELOW TARGET" : "");
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: check_bench FOLDER [ROUNDS]\n");
        return 2;
    }
    std::wstring folder = argv[1];
    // "d:" too becomes "d:\\": the output's name is taken from after the path's last backslash.
    if (folder.back() != L'\\') {
        folder += L'\\';
    }
    int rounds = argc == 3 ? _wtoi(argv[2]) : 3;
    if (rounds < 1) {
        rounds = 1;
    }

    std::vector<BenchFile> files = ListFiles(folder);
    if (files.empty()) {
        std::fprintf(stderr, "no .crypt files in %ls\n", folder.c_str());
        return 2;
    }
    std::string keys = ReadKeysFile(folder);
    std::vector<Group> groups;
    uint64_t allBytes = 0;
    for (BenchFile& file : files) {
        file.selector = ListedKey(keys, file.name);
        KeyMatch match;
        if (file.selector == KeySelectorNone &&
            IdentifyCryptFileKey(file.path.c_str(), 0, &match) == KeyFound) {
            file.selector = match.selector;
        }
        if (file.selector == KeySelectorNone) {
            std::fprintf(stderr, "no key for %ls\n", file.name.c_str());
            return 1;
        }
        file.format = CheckFormatOf(file.path.c_str());
        std::wstring label = GroupLabelOf(file.name);
        size_t g = 0;
        while (g < groups.size() && groups[g].label != label) {
            ++g;
        }
        if (g == groups.size()) {
            Group group = {};
            group.label = label;
            group.format = file.format;
            group.bestChecked = group.bestUnchecked = group.bestAlone = 1e300;
            for (double& seconds : group.bestInflate) {
                seconds = 1e300;
            }
            groups.push_back(group);
        }
        file.group = g;
        groups[g].files += 1;
        groups[g].bytes += file.size;
        allBytes += file.size;
    }
    std::printf("files %d, %.1f MiB, best of %d rounds\n", static_cast<int>(files.size()),
                static_cast<double>(allBytes) / 1048576.0, rounds);

    double bestChecked = 1e300, bestUnchecked = 1e300, bestAlone = 1e300;
    int failures = 0, uncheckedPassChecked = 0;
    std::vector<uint8_t> plaintext;
    for (int round = 0; round < rounds; ++round) {
        for (Group& group : groups) {
            group.roundChecked = group.roundUnchecked = group.roundAlone = 0;
            for (double& seconds : group.roundInflate) {
                seconds = 0;
            }
            group.roundInflated = 0;
        }
        for (size_t i = 0; i < files.size(); ++i) {
            const BenchFile& file = files[i];
            Group& group = groups[file.group];
            // Alternating which pass goes first spreads whatever the first read of a file costs
            // evenly over both.
            for (int pass = 0; pass < 2; ++pass) {
                bool checked = (pass + round + static_cast<int>(i)) % 2 == 0;
                DecryptTarget target;
                double seconds =
                    TimedDecrypt(file, checked ? file.format : CheckFormatNone, &target);
                if (seconds < 0) {
                    ++failures;
                    continue;
                }
                std::wstring output = OutputPathOf(file, target.outputCounter);
                if (checked) {
                    group.roundChecked += seconds;
                    group.verdicts[target.check.verdict] += 1;
                    if (target.check.verdict != CheckPassed && round == 0) {
                        std::printf("NOT CHECKED: %ls: %s (format %s, failure %d at %llu, item "
                                    "%llu)\n",
                                    file.name.c_str(), VerdictWord(target.check.verdict),
                                    FormatWord(target.check.format),
                                    static_cast<int>(target.check.failure),
                                    static_cast<unsigned long long>(target.check.failedAt),
                                    static_cast<unsigned long long>(target.check.items));
                    }
                    CheckReport alone = {};
                    if (ReadWhole(output, &plaintext)) {
                        group.roundAlone += TimedCheckAlone(file.format, plaintext, &alone);
                        std::vector<DeflateSpan> spans = DeflateStreamsOf(file.format, plaintext);
                        for (int way = 0; way < InflateWays && !spans.empty(); ++way) {
                            uint64_t inflated = 0;
                            group.roundInflate[way] += TimedInflate(
                                plaintext, spans, static_cast<InflateWay>(way), &inflated);
                            group.roundInflated += way == 0 ? inflated : 0;
                        }
                    } else if (round == 0) {
                        std::printf("FAILED: %ls: the output %ls cannot be read back, error %lu\n",
                                    file.name.c_str(), output.c_str(), GetLastError());
                    }
                    group.aloneDisagrees += alone.verdict != target.check.verdict;
                } else {
                    group.roundUnchecked += seconds;
                    uncheckedPassChecked += target.check.verdict != CheckNotCheckable;
                }
                DeleteFileW(output.c_str());
            }
        }
        double checked = 0, unchecked = 0, alone = 0;
        for (Group& group : groups) {
            group.bestChecked = std::min(group.bestChecked, group.roundChecked);
            group.bestUnchecked = std::min(group.bestUnchecked, group.roundUnchecked);
            group.bestAlone = std::min(group.bestAlone, group.roundAlone);
            for (int way = 0; way < InflateWays; ++way) {
                group.bestInflate[way] = std::min(group.bestInflate[way], group.roundInflate[way]);
            }
            group.inflated = group.roundInflated;
            checked += group.roundChecked;
            unchecked += group.roundUnchecked;
            alone += group.roundAlone;
        }
        bestChecked = std::min(bestChecked, checked);
        bestUnchecked = std::min(bestUnchecked, unchecked);
        bestAlone = std::min(bestAlone, alone);
        std::printf("round %d checked %.3f s unchecked %.3f s\n", round + 1, checked, unchecked);
    }

    for (const Group& group : groups) {
        std::string label(group.label.begin(), group.label.end());
        PrintLine(label.c_str(), group.bestChecked, group.bestUnchecked);
    }
    PrintLine("overall", bestChecked, bestUnchecked);
    // Two processors busy all along the unchecked pass leave the check none of its own.
    for (Group& group : groups) {
        for (int checked = 0; checked < 2; ++checked) {
            double processor = ProcessorSeconds(), start = Seconds();
            for (const BenchFile& file : files) {
                DecryptTarget target;
                if (file.group == static_cast<size_t>(&group - groups.data()) &&
                    TimedDecrypt(file, checked ? file.format : CheckFormatNone, &target) >= 0) {
                    DeleteFileW(OutputPathOf(file, target.outputCounter).c_str());
                }
            }
            group.rowSeconds[checked] = Seconds() - start;
            group.rowProcessor[checked] = ProcessorSeconds() - processor;
        }
        std::string label(group.label.begin(), group.label.end());
        std::printf("processors %s unchecked %.2f s in %.3f s (%.2f busy), checked %.2f s in "
                    "%.3f s (%.2f busy)\n",
                    label.c_str(), group.rowProcessor[0], group.rowSeconds[0],
                    group.rowProcessor[0] / group.rowSeconds[0], group.rowProcessor[1],
                    group.rowSeconds[1], group.rowProcessor[1] / group.rowSeconds[1]);
    }
    // The check on one thread with nothing else running: its own speed, MB/s of output.
    for (const Group& group : groups) {
        std::string label(group.label.begin(), group.label.end());
        std::printf("alone %s %s %.3f s %.0f MB/s, unchecked decryption %.0f MB/s\n", label.c_str(),
                    FormatWord(group.format), group.bestAlone,
                    static_cast<double>(group.bytes) / 1e6 / group.bestAlone,
                    static_cast<double>(group.bytes) / 1e6 / group.bestUnchecked);
    }
    std::printf("alone overall %.3f s %.0f MB/s\n", bestAlone,
                static_cast<double>(allBytes) / 1e6 / bestAlone);
    for (const Group& group : groups) {
        if (group.inflated == 0) {
            continue;
        }
        std::string label(group.label.begin(), group.label.end());
        std::printf("inflate %s: %.1f MB of files inflate to %.1f MB;", label.c_str(),
                    static_cast<double>(group.bytes) / 1e6,
                    static_cast<double>(group.inflated) / 1e6);
        for (int way = 0; way < InflateWays; ++way) {
            std::printf("%s %s %.3f s (%.0f MB/s out)", way == 0 ? "" : ",", InflateWayWords[way],
                        group.bestInflate[way],
                        static_cast<double>(group.inflated) / 1e6 / group.bestInflate[way]);
        }
        std::printf("\n");
    }

    int notChecked = 0;
    for (const Group& group : groups) {
        std::string label(group.label.begin(), group.label.end());
        std::printf("verdicts %s: %d checked, %d not checkable, %d check failed", label.c_str(),
                    group.verdicts[CheckPassed], group.verdicts[CheckNotCheckable],
                    group.verdicts[CheckFailed]);
        if (group.aloneDisagrees != 0) {
            std::printf(", %d times the check alone said otherwise", group.aloneDisagrees);
        }
        std::printf("\n");
        notChecked +=
            group.verdicts[CheckNotCheckable] + group.verdicts[CheckFailed] + group.aloneDisagrees;
    }
    if (failures != 0 || notChecked != 0 || uncheckedPassChecked != 0) {
        std::printf("!!! NOT EVERY OUTPUT WAS CHECKED: %d outputs not \"checked\", %d decryptions "
                    "failed, %d unchecked passes checked anyway: the times above do not measure "
                    "the check !!!\n",
                    notChecked, failures, uncheckedPassChecked);
        return 1;
    }
    std::printf("every output checked: %d files x %d rounds, all \"checked\"\n",
                static_cast<int>(files.size()), rounds);
    return 0;
}
