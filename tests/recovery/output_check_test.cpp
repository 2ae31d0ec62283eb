// The check of a decrypted file by its own format, on real files of every type it knows (see
// check_samples.py for how each was made): each passes with its count of items, each damage fails
// it with the failure it makes, where it lies and in the item it lies in, every report is the same
// however the bytes are split into feeds, and random bytes, as a wrong key gives, fail it.
#include "recovery/output_check.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "tests/recovery/check_samples.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes SampleBytes(const CheckSample& sample) {
    return Bytes(sample.bytes, sample.bytes + sample.size);
}

Bytes DamagedBytes(const CheckDamage& damage) {
    const CheckSample& sample = CheckSampleNamed(damage.sample);
    Bytes bytes(sample.bytes, sample.bytes + damage.at);
    bytes.insert(bytes.end(), damage.patch, damage.patch + damage.patchSize);
    bytes.insert(bytes.end(), sample.bytes + damage.resume, sample.bytes + sample.size);
    return bytes;
}

// The output file as the caller would read it back, with what was asked of it.
struct WrittenFile {
    const Bytes* bytes;
    uint32_t calls;
    uint64_t bytesRead;
};

uint32_t ReadWritten(void* file, uint64_t offset, uint8_t* bytes, uint32_t count) {
    WrittenFile* written = static_cast<WrittenFile*>(file);
    ++written->calls;
    uint64_t size = written->bytes->size();
    uint32_t read =
        offset >= size ? 0 : static_cast<uint32_t>(std::min<uint64_t>(count, size - offset));
    std::memcpy(bytes, written->bytes->data() + offset, read);
    written->bytesRead += read;
    return read;
}

// The ways a file is split into feeds.
enum Split { SplitWhole, SplitBytes, SplitSevens, SplitPages, SplitRandom, SplitRandomLarge };
const Split Splits[] = {SplitWhole, SplitBytes,  SplitSevens,
                        SplitPages, SplitRandom, SplitRandomLarge};

std::vector<uint32_t> PieceSizes(Split split, size_t size, uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<uint32_t> pieces;
    size_t left = size;
    while (left > 0) {
        uint32_t piece = static_cast<uint32_t>(left);
        switch (split) {
        case SplitWhole:
            break;
        case SplitBytes:
            piece = 1;
            break;
        case SplitSevens:
            piece = 7;
            break;
        case SplitPages:
            piece = 4093;
            break;
        case SplitRandom:
            piece = 1 + random() % 300;
            break;
        case SplitRandomLarge:
            piece = random() % 4 == 0 ? 1 + random() % 8 : 1 + random() % 70000;
            break;
        }
        piece = static_cast<uint32_t>(std::min<size_t>(piece, left));
        pieces.push_back(piece);
        left -= piece;
    }
    return pieces;
}

CheckReport CheckSplit(CheckFormat format, const Bytes& bytes, Split split, uint32_t seed = 1,
                       const CheckReadBack* readBack = nullptr) {
    WrittenFile written = {&bytes, 0, 0};
    CheckReadBack ownReadBack = {ReadWritten, &written};
    OutputCheck* check = StartOutputCheck(format, bytes.size());
    size_t at = 0;
    for (uint32_t piece : PieceSizes(split, bytes.size(), seed)) {
        FeedOutputCheck(check, bytes.data() + at, piece);
        at += piece;
    }
    CheckReport report;
    FinishOutputCheck(check, readBack != nullptr ? readBack : &ownReadBack, &report);
    EndOutputCheck(check);
    return report;
}

CheckReport CheckWhole(CheckFormat format, const Bytes& bytes) {
    return CheckSplit(format, bytes, SplitWhole);
}

std::string Text(const CheckReport& report) {
    return "verdict " + std::to_string(report.verdict) + ", format " +
           std::to_string(report.format) + ", failure " + std::to_string(report.failure) +
           ", items " + std::to_string(report.items) + ", unchecked " +
           std::to_string(report.uncheckedItems) + ", at " + std::to_string(report.failedAt);
}

bool Same(const CheckReport& a, const CheckReport& b) {
    return a.verdict == b.verdict && a.format == b.format && a.failure == b.failure &&
           a.items == b.items && a.uncheckedItems == b.uncheckedItems && a.failedAt == b.failedAt;
}

TEST(OutputCheck, EverySamplePassesWithItsCount) {
    for (uint32_t s = 0; s < CheckSampleCount; ++s) {
        const CheckSample& sample = CheckSamples[s];
        CheckReport report = CheckWhole(sample.format, SampleBytes(sample));
        SCOPED_TRACE(std::string(sample.name) + ", " + sample.made + ": " + Text(report));
        EXPECT_EQ(report.verdict, CheckPassed);
        EXPECT_EQ(report.format, sample.format);
        EXPECT_EQ(report.failure, CheckFailureNone);
        EXPECT_EQ(report.items, sample.items);
        EXPECT_EQ(report.uncheckedItems, sample.uncheckedItems);
    }
}

TEST(OutputCheck, EveryDamageFailsWhereItLies) {
    for (uint32_t d = 0; d < CheckDamageCount; ++d) {
        const CheckDamage& damage = CheckDamages[d];
        const CheckSample& sample = CheckSampleNamed(damage.sample);
        CheckReport report = CheckWhole(sample.format, DamagedBytes(damage));
        SCOPED_TRACE(std::string(damage.sample) + ", " + damage.what + ": " + Text(report));
        EXPECT_EQ(report.format, sample.format);
        if (damage.failure == CheckFailureNone) {
            EXPECT_EQ(report.verdict, CheckPassed);
            continue;
        }
        EXPECT_EQ(report.verdict, CheckFailed);
        EXPECT_NE(report.failure, CheckFailureNone);
        if (damage.failure != CheckAnyFailure) {
            EXPECT_EQ(report.failure, damage.failure);
        }
        if (damage.failedAt != CheckAny) {
            EXPECT_EQ(report.failedAt, damage.failedAt);
        }
        if (damage.item != CheckAny) {
            EXPECT_EQ(report.items, damage.item);
        }
    }
}

// Every sample and every damaged file, fed whole, a byte at a time, in pieces of 7 and of 4093
// bytes, and in random pieces small and large.
TEST(OutputCheck, EverySplitGivesTheSameReport) {
    std::vector<std::pair<std::string, Bytes>> files;
    std::vector<CheckFormat> formats;
    for (uint32_t s = 0; s < CheckSampleCount; ++s) {
        files.push_back({CheckSamples[s].name, SampleBytes(CheckSamples[s])});
        formats.push_back(CheckSamples[s].format);
    }
    for (uint32_t d = 0; d < CheckDamageCount; ++d) {
        files.push_back({std::string(CheckDamages[d].sample) + ", " + CheckDamages[d].what,
                         DamagedBytes(CheckDamages[d])});
        formats.push_back(CheckSampleNamed(CheckDamages[d].sample).format);
    }
    for (size_t f = 0; f < files.size(); ++f) {
        CheckReport whole = CheckWhole(formats[f], files[f].second);
        for (Split split : Splits) {
            for (uint32_t seed = 1; seed <= (split >= SplitRandom ? 3u : 1u); ++seed) {
                CheckReport report = CheckSplit(formats[f], files[f].second, split, seed);
                EXPECT_TRUE(Same(report, whole))
                    << files[f].first << ", split " << split << " seed " << seed << ": "
                    << Text(report) << " but whole: " << Text(whole);
            }
        }
    }
}

// What a wrong key gives: random bytes from the first on, or after a signature it happened to
// show.
TEST(OutputCheck, RandomBytesFail) {
    std::mt19937 random(20260302);
    for (uint32_t s = 0; s < CheckSampleCount; ++s) {
        const CheckSample& sample = CheckSamples[s];
        Bytes noise(sample.size);
        for (uint8_t& byte : noise) {
            byte = static_cast<uint8_t>(random());
        }
        CheckReport report = CheckWhole(sample.format, noise);
        EXPECT_EQ(report.verdict, CheckFailed) << sample.name << ": " << Text(report);
        EXPECT_EQ(report.failure, CheckFailureSignature) << sample.name << ": " << Text(report);
        EXPECT_EQ(report.failedAt, 0u) << sample.name;
        Bytes signatureThenNoise = SampleBytes(sample);
        for (size_t i = 16; i < signatureThenNoise.size(); ++i) {
            signatureThenNoise[i] = noise[i];
        }
        report = CheckWhole(sample.format, signatureThenNoise);
        EXPECT_EQ(report.verdict, CheckFailed) << sample.name << ": " << Text(report);
        EXPECT_NE(report.failure, CheckFailureNone) << sample.name;
    }
}

TEST(OutputCheck, ExtensionsNameTheirFormats) {
    const struct {
        const wchar_t* extension;
        CheckFormat format;
    } cases[] = {
        {L"zip", CheckFormatZip},
        {L"DOCX", CheckFormatZip},
        {L"xlsm", CheckFormatZip},
        {L"odt", CheckFormatZip},
        {L"Epub", CheckFormatZip},
        {L"jar", CheckFormatZip},
        {L"apk", CheckFormatZip},
        {L"3mf", CheckFormatZip},
        {L"cbz", CheckFormatZip},
        {L"png", CheckFormatPng},
        {L"gz", CheckFormatGzip},
        {L"TGZ", CheckFormatGzip},
        {L"jpg", CheckFormatJpeg},
        {L"jpeg", CheckFormatJpeg},
        {L"jfif", CheckFormatJpeg},
        {L"pdf", CheckFormatPdf},
        {L"bmp", CheckFormatBmp},
        {L"dib", CheckFormatBmp},
        {L"sqlite", CheckFormatSqlite},
        {L"sqlite3", CheckFormatSqlite},
        {L"7z", CheckFormat7z},
        {L"RAR", CheckFormatRar},
        {L"gif", CheckFormatGif},
        // Types without a check of their own, and near misses.
        {L"txt", CheckFormatNone},
        {L"db", CheckFormatNone},
        {L"doc", CheckFormatNone},
        {L"zipx", CheckFormatNone},
        {L"zi", CheckFormatNone},
        {L"", CheckFormatNone},
        {L"p\u00e9f", CheckFormatNone},
        {L"z\u0130p", CheckFormatNone},
    };
    for (const auto& c : cases) {
        uint32_t length = static_cast<uint32_t>(std::wcslen(c.extension));
        EXPECT_EQ(CheckFormatOfExtension(c.extension, length), c.format)
            << std::string(c.extension, c.extension + length);
    }
    // The length given counts, not a terminating zero.
    EXPECT_EQ(CheckFormatOfExtension(L"pdfx", 3), CheckFormatPdf);
}

TEST(OutputCheck, TypesWithoutACheckAreNotCheckable) {
    const uint8_t bytes[] = {'P', 'K', 3, 4, 0, 0};
    for (CheckFormat format : {CheckFormatNone, CheckFormatCount, static_cast<CheckFormat>(-1)}) {
        OutputCheck* check = StartOutputCheck(format, sizeof bytes);
        FeedOutputCheck(check, bytes, sizeof bytes);
        CheckReport report;
        FinishOutputCheck(check, nullptr, &report);
        EndOutputCheck(check);
        EXPECT_EQ(report.verdict, CheckNotCheckable);
        EXPECT_EQ(report.format, CheckFormatNone);
        EXPECT_EQ(report.failure, CheckFailureNone);
    }
    // A check that could not be started.
    FeedOutputCheck(nullptr, bytes, sizeof bytes);
    CheckReport report;
    FinishOutputCheck(nullptr, nullptr, &report);
    EXPECT_EQ(report.verdict, CheckNotCheckable);
    EndOutputCheck(nullptr);
}

TEST(OutputCheck, AnOutputOfAnotherSizeThanItsFileFails) {
    const CheckSample& sample = CheckSampleNamed("image.png");
    Bytes bytes = SampleBytes(sample);
    CheckReport report;
    // Bytes after IEND are let be, but not bytes missing from the file.
    OutputCheck* check = StartOutputCheck(CheckFormatPng, bytes.size() + 10);
    FeedOutputCheck(check, bytes.data(), static_cast<uint32_t>(bytes.size()));
    FinishOutputCheck(check, nullptr, &report);
    EndOutputCheck(check);
    EXPECT_EQ(report.verdict, CheckFailed);
    EXPECT_EQ(report.failure, CheckFailureTruncated);
    EXPECT_EQ(report.failedAt, bytes.size());
    check = StartOutputCheck(CheckFormatPng, bytes.size() - 1);
    FeedOutputCheck(check, bytes.data(), static_cast<uint32_t>(bytes.size()));
    FinishOutputCheck(check, nullptr, &report);
    EndOutputCheck(check);
    EXPECT_EQ(report.verdict, CheckFailed);
    EXPECT_EQ(report.failure, CheckFailureSize);
    EXPECT_EQ(report.failedAt, bytes.size() - 1);
}

// One check after another, as a run of files goes, and two at once: nothing carries over.
TEST(OutputCheck, ChecksOneAfterAnotherShareNothing) {
    std::vector<CheckReport> first;
    for (uint32_t s = 0; s < CheckSampleCount; ++s) {
        first.push_back(
            CheckSplit(CheckSamples[s].format, SampleBytes(CheckSamples[s]), SplitRandom));
    }
    for (uint32_t s = 0; s < CheckSampleCount; ++s) {
        const CheckSample& sample = CheckSamples[s];
        const CheckSample& other = CheckSamples[(s + 1) % CheckSampleCount];
        OutputCheck* check = StartOutputCheck(sample.format, sample.size);
        OutputCheck* beside = StartOutputCheck(other.format, other.size);
        for (uint32_t at = 0; at < std::max(sample.size, other.size); at += 1000) {
            if (at < sample.size) {
                FeedOutputCheck(check, sample.bytes + at, std::min(1000u, sample.size - at));
            }
            if (at < other.size) {
                FeedOutputCheck(beside, other.bytes + at, std::min(1000u, other.size - at));
            }
        }
        Bytes bytes = SampleBytes(sample);
        WrittenFile written = {&bytes, 0, 0};
        CheckReadBack readBack = {ReadWritten, &written};
        CheckReport report;
        FinishOutputCheck(check, &readBack, &report);
        EndOutputCheck(check);
        EndOutputCheck(beside);
        EXPECT_TRUE(Same(report, first[s])) << sample.name << ": " << Text(report);
    }
}

// The cross-reference is read back once, a few kilobytes at most; without a way to read back it is
// not looked at.
TEST(OutputCheck, PdfReadsBackLittleAndOnlyWhenItCan) {
    for (const char* name : {"table.pdf", "stream.pdf"}) {
        Bytes bytes = SampleBytes(CheckSampleNamed(name));
        WrittenFile written = {&bytes, 0, 0};
        CheckReadBack readBack = {ReadWritten, &written};
        CheckReport report = CheckSplit(CheckFormatPdf, bytes, SplitSevens, 1, &readBack);
        EXPECT_EQ(report.verdict, CheckPassed) << name;
        EXPECT_EQ(written.calls, 1u) << name;
        EXPECT_LE(written.bytesRead, 4096u) << name;
    }
    for (uint32_t d = 0; d < CheckDamageCount; ++d) {
        const CheckDamage& damage = CheckDamages[d];
        if (damage.failure != CheckFailureCrossReference ||
            CheckSampleNamed(damage.sample).format != CheckFormatPdf) {
            continue;
        }
        Bytes bytes = DamagedBytes(damage);
        OutputCheck* check = StartOutputCheck(CheckFormatPdf, bytes.size());
        FeedOutputCheck(check, bytes.data(), static_cast<uint32_t>(bytes.size()));
        CheckReport report;
        CheckReadBack nothing = {nullptr, nullptr};
        FinishOutputCheck(check, &nothing, &report);
        EndOutputCheck(check);
        // An offset past the end is seen without reading back.
        bool pastEnd = damage.failedAt >= bytes.size() - 32;
        EXPECT_EQ(report.verdict, pastEnd ? CheckFailed : CheckPassed) << damage.what;
    }
    // A read that fails reads nothing.
    Bytes bytes = SampleBytes(CheckSampleNamed("table.pdf"));
    CheckReadBack failing = {[](void*, uint64_t, uint8_t*, uint32_t) { return 0u; }, nullptr};
    CheckReport report = CheckSplit(CheckFormatPdf, bytes, SplitWhole, 1, &failing);
    EXPECT_EQ(report.verdict, CheckFailed);
    EXPECT_EQ(report.failure, CheckFailureCrossReference);
}

// A stored ZIP of many empty entries, laid out after APPNOTE 4.3 with its ZIP64 end record and
// locator (more than 65,535 entries): past the entries recorded one by one, the central
// directory is compared by the sums of the entries' facts.
struct ManyEntries {
    Bytes bytes;
    std::vector<uint64_t> centralAt; // each entry's central directory header
    uint64_t directoryAt;
};

void PutLe(Bytes* bytes, uint64_t value, int size) {
    for (int i = 0; i < size; ++i) {
        bytes->push_back(static_cast<uint8_t>(value >> (8 * i)));
    }
}

ManyEntries ZipOfManyEntries(uint32_t count) {
    ManyEntries zip;
    std::vector<uint64_t> offsets;
    auto name = [](uint32_t i) { return "f" + std::to_string(100000 + i); };
    for (uint32_t i = 0; i < count; ++i) {
        offsets.push_back(zip.bytes.size());
        std::string entryName = name(i);
        // A stored entry of one byte: its CRC-32 and sizes in the local header.
        uint8_t content = static_cast<uint8_t>(i);
        uint32_t crc = static_cast<uint32_t>(crc32(0, &content, 1));
        PutLe(&zip.bytes, 0x04034b50, 4);
        PutLe(&zip.bytes, 20, 2);
        PutLe(&zip.bytes, 0, 2);
        PutLe(&zip.bytes, 0, 2);
        PutLe(&zip.bytes, 0, 4);
        PutLe(&zip.bytes, crc, 4);
        PutLe(&zip.bytes, 1, 4);
        PutLe(&zip.bytes, 1, 4);
        PutLe(&zip.bytes, entryName.size(), 2);
        PutLe(&zip.bytes, 0, 2);
        zip.bytes.insert(zip.bytes.end(), entryName.begin(), entryName.end());
        zip.bytes.push_back(content);
    }
    zip.directoryAt = zip.bytes.size();
    for (uint32_t i = 0; i < count; ++i) {
        zip.centralAt.push_back(zip.bytes.size());
        std::string entryName = name(i);
        uint8_t content = static_cast<uint8_t>(i);
        PutLe(&zip.bytes, 0x02014b50, 4);
        PutLe(&zip.bytes, 20, 2);
        PutLe(&zip.bytes, 20, 2);
        PutLe(&zip.bytes, 0, 2);
        PutLe(&zip.bytes, 0, 2);
        PutLe(&zip.bytes, 0, 4);
        PutLe(&zip.bytes, crc32(0, &content, 1), 4);
        PutLe(&zip.bytes, 1, 4);
        PutLe(&zip.bytes, 1, 4);
        PutLe(&zip.bytes, entryName.size(), 2);
        PutLe(&zip.bytes, 0, 2 * 4);
        PutLe(&zip.bytes, 0, 4);
        PutLe(&zip.bytes, offsets[i], 4);
        zip.bytes.insert(zip.bytes.end(), entryName.begin(), entryName.end());
    }
    uint64_t directorySize = zip.bytes.size() - zip.directoryAt;
    uint64_t end64At = zip.bytes.size();
    PutLe(&zip.bytes, 0x06064b50, 4);
    PutLe(&zip.bytes, 44, 8);
    PutLe(&zip.bytes, 45, 2);
    PutLe(&zip.bytes, 45, 2);
    PutLe(&zip.bytes, 0, 8);
    PutLe(&zip.bytes, count, 8);
    PutLe(&zip.bytes, count, 8);
    PutLe(&zip.bytes, directorySize, 8);
    PutLe(&zip.bytes, zip.directoryAt, 8);
    PutLe(&zip.bytes, 0x07064b50, 4);
    PutLe(&zip.bytes, 0, 4);
    PutLe(&zip.bytes, end64At, 8);
    PutLe(&zip.bytes, 1, 4);
    PutLe(&zip.bytes, 0x06054b50, 4);
    PutLe(&zip.bytes, 0, 4);
    PutLe(&zip.bytes, 0xFFFF, 2);
    PutLe(&zip.bytes, 0xFFFF, 2);
    PutLe(&zip.bytes, directorySize, 4);
    PutLe(&zip.bytes, zip.directoryAt, 4);
    PutLe(&zip.bytes, 0, 2);
    return zip;
}

TEST(OutputCheck, ZipEntriesPastTheRecordsAreComparedBySums) {
    const uint32_t count = 70000;
    ManyEntries zip = ZipOfManyEntries(count);
    CheckReport report = CheckSplit(CheckFormatZip, zip.bytes, SplitRandomLarge);
    EXPECT_EQ(report.verdict, CheckPassed) << Text(report);
    EXPECT_EQ(report.items, count);
    // A CRC-32 changed in the central directory: named at its header while the entries are
    // recorded one by one, and found by the sums past them.
    for (uint32_t entry : {10u, count - 1}) {
        Bytes damaged = zip.bytes;
        damaged[zip.centralAt[entry] + 16] ^= 1;
        report = CheckSplit(CheckFormatZip, damaged, SplitRandomLarge);
        EXPECT_EQ(report.verdict, CheckFailed) << entry;
        EXPECT_EQ(report.failure, CheckFailureDirectory) << entry;
        EXPECT_EQ(report.failedAt, entry == 10 ? zip.centralAt[entry] : zip.directoryAt) << entry;
    }
    // Two headers for one entry and none for another.
    Bytes swapped = zip.bytes;
    std::memcpy(swapped.data() + zip.centralAt[count - 1] + 42,
                swapped.data() + zip.centralAt[count - 2] + 42, 4);
    report = CheckSplit(CheckFormatZip, swapped, SplitWhole);
    EXPECT_EQ(report.failure, CheckFailureDirectory) << Text(report);
}

// Once a check has failed, the rest of the file changes nothing.
TEST(OutputCheck, AFailureStands) {
    Bytes bytes = SampleBytes(CheckSampleNamed("deflated.zip"));
    bytes[50] ^= 0xff;
    OutputCheck* check = StartOutputCheck(CheckFormatZip, bytes.size() + (1u << 20));
    FeedOutputCheck(check, bytes.data(), static_cast<uint32_t>(bytes.size()));
    Bytes more(1u << 20, 0x50);
    FeedOutputCheck(check, more.data(), static_cast<uint32_t>(more.size()));
    CheckReport report;
    FinishOutputCheck(check, nullptr, &report);
    EndOutputCheck(check);
    CheckReport alone = CheckWhole(CheckFormatZip, bytes);
    EXPECT_EQ(report.verdict, CheckFailed);
    EXPECT_EQ(report.failure, alone.failure);
    EXPECT_EQ(report.failedAt, alone.failedAt);
}

} // namespace
