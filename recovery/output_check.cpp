// The check of a decrypted file by its format: the types each format covers, and the one state
// that every format's check lives in. See recovery/output_check.h.
#include "recovery/output_check.h"

#include <new>

#include "recovery/check_7z.h"
#include "recovery/check_bmp.h"
#include "recovery/check_gif.h"
#include "recovery/check_gzip.h"
#include "recovery/check_inflate.h"
#include "recovery/check_jpeg.h"
#include "recovery/check_pdf.h"
#include "recovery/check_png.h"
#include "recovery/check_rar.h"
#include "recovery/check_sqlite.h"
#include "recovery/check_zip.h"

struct OutputCheck {
    CheckFormat format;
    uint64_t fileSize;
    uint64_t fed;
    CheckTally tally;
    // The inflater serves ZIP entries and gzip members; each format's state is its own.
    CheckInflater inflater;
    ZipCheck zip;
    PngCheck png;
    GzipCheck gzip;
    JpegCheck jpeg;
    PdfCheck pdf;
    BmpCheck bmp;
    SqliteCheck sqlite;
    SevenZipCheck sevenZip;
    RarCheck rar;
    GifCheck gif;
};

namespace {

struct FormatTypes {
    CheckFormat format;
    const char* extensions; // lower case, separated by single spaces
};

// The types of each format: the ZIP family as recovery/file_signatures.cpp names it (Office
// Open XML, OpenDocument, EPUB, the Java and Android packages...) and a few more packages of
// the same form. "db" is left out: it names compound files (Thumbs.db) as often as SQLite.
const FormatTypes Types[] = {
    {CheckFormatZip,
     "zip docx docm dotx dotm xlsx xlsm xltx xltm xlsb xlam pptx pptm potx potm ppsx ppsm vsdx "
     "odt ods odp odg odf ott ots otp otg epub jar war ear aar apk xpi xps oxps kmz 3mf nupkg "
     "cbz whl vsix"},
    {CheckFormatPng, "png"},
    {CheckFormatGzip, "gz tgz"},
    {CheckFormatJpeg, "jpg jpeg jpe jfif"},
    {CheckFormatPdf, "pdf"},
    {CheckFormatBmp, "bmp dib"},
    {CheckFormatSqlite, "sqlite sqlite3 db3 s3db sl3"},
    {CheckFormat7z, "7z"},
    {CheckFormatRar, "rar"},
    {CheckFormatGif, "gif"},
};

wchar_t AsciiLower(wchar_t c) {
    return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c;
}

bool ListHolds(const char* list, const wchar_t* extension, uint32_t length) {
    while (*list != '\0') {
        uint32_t wordLength = 0;
        while (list[wordLength] != '\0' && list[wordLength] != ' ') {
            ++wordLength;
        }
        bool same = wordLength == length;
        for (uint32_t i = 0; same && i < length; ++i) {
            same = AsciiLower(extension[i]) == static_cast<wchar_t>(list[i]);
        }
        if (same) {
            return true;
        }
        list += wordLength;
        if (*list == ' ') {
            ++list;
        }
    }
    return false;
}

void StartFormat(OutputCheck* check) {
    switch (check->format) {
    case CheckFormatZip:
        StartZipCheck(&check->zip, check->fileSize);
        break;
    case CheckFormatPng:
        StartPngCheck(&check->png);
        break;
    case CheckFormatGzip:
        StartGzipCheck(&check->gzip);
        break;
    case CheckFormatJpeg:
        StartJpegCheck(&check->jpeg);
        break;
    case CheckFormatPdf:
        StartPdfCheck(&check->pdf);
        break;
    case CheckFormatBmp:
        StartBmpCheck(&check->bmp);
        break;
    case CheckFormatSqlite:
        StartSqliteCheck(&check->sqlite);
        break;
    case CheckFormat7z:
        StartSevenZipCheck(&check->sevenZip);
        break;
    case CheckFormatRar:
        StartRarCheck(&check->rar);
        break;
    case CheckFormatGif:
        StartGifCheck(&check->gif);
        break;
    default:
        break;
    }
}

void FeedFormat(OutputCheck* check, CheckInput* input) {
    CheckTally* tally = &check->tally;
    switch (check->format) {
    case CheckFormatZip:
        FeedZipCheck(&check->zip, &check->inflater, input, tally);
        break;
    case CheckFormatPng:
        FeedPngCheck(&check->png, input, tally);
        break;
    case CheckFormatGzip:
        FeedGzipCheck(&check->gzip, &check->inflater, input, tally);
        break;
    case CheckFormatJpeg:
        FeedJpegCheck(&check->jpeg, input, tally);
        break;
    case CheckFormatPdf:
        FeedPdfCheck(&check->pdf, input, tally);
        break;
    case CheckFormatBmp:
        FeedBmpCheck(&check->bmp, input, tally);
        break;
    case CheckFormatSqlite:
        FeedSqliteCheck(&check->sqlite, input, tally);
        break;
    case CheckFormat7z:
        FeedSevenZipCheck(&check->sevenZip, input, tally);
        break;
    case CheckFormatRar:
        FeedRarCheck(&check->rar, input, tally);
        break;
    case CheckFormatGif:
        FeedGifCheck(&check->gif, input, tally);
        break;
    default:
        break;
    }
}

void FinishFormat(OutputCheck* check, const CheckReadBack* readBack) {
    CheckTally* tally = &check->tally;
    uint64_t size = check->fed;
    switch (check->format) {
    case CheckFormatZip:
        FinishZipCheck(&check->zip, size, tally);
        break;
    case CheckFormatPng:
        FinishPngCheck(&check->png, size, tally);
        break;
    case CheckFormatGzip:
        FinishGzipCheck(&check->gzip, size, tally);
        break;
    case CheckFormatJpeg:
        FinishJpegCheck(&check->jpeg, size, tally);
        break;
    case CheckFormatPdf:
        FinishPdfCheck(&check->pdf, size, readBack, tally);
        break;
    case CheckFormatBmp:
        FinishBmpCheck(&check->bmp, size, tally);
        break;
    case CheckFormatSqlite:
        FinishSqliteCheck(&check->sqlite, size, tally);
        break;
    case CheckFormat7z:
        FinishSevenZipCheck(&check->sevenZip, size, tally);
        break;
    case CheckFormatRar:
        FinishRarCheck(&check->rar, size, tally);
        break;
    case CheckFormatGif:
        FinishGifCheck(&check->gif, size, tally);
        break;
    default:
        break;
    }
}

bool IsCheckable(CheckFormat format) {
    return format > CheckFormatNone && format < CheckFormatCount;
}

} // namespace

CheckFormat CheckFormatOfExtension(const wchar_t* extension, uint32_t length) {
    for (const FormatTypes& types : Types) {
        if (length > 0 && ListHolds(types.extensions, extension, length)) {
            return types.format;
        }
    }
    return CheckFormatNone;
}

OutputCheck* StartOutputCheck(CheckFormat format, uint64_t fileSize) {
    OutputCheck* check = new (std::nothrow) OutputCheck;
    if (check == nullptr) {
        return nullptr;
    }
    check->format = IsCheckable(format) ? format : CheckFormatNone;
    check->fileSize = fileSize;
    check->fed = 0;
    check->tally = CheckTally();
    check->inflater.started = false;
    StartFormat(check);
    return check;
}

void FeedOutputCheck(OutputCheck* check, const uint8_t* bytes, uint32_t count) {
    if (check == nullptr) {
        return;
    }
    if (check->format != CheckFormatNone && !CheckFailedAlready(&check->tally) && count > 0) {
        CheckInput input = {bytes, count, check->fed};
        FeedFormat(check, &input);
    }
    check->fed += count;
}

void FinishOutputCheck(OutputCheck* check, const CheckReadBack* readBack, CheckReport* report) {
    *report = CheckReport();
    if (check == nullptr || check->format == CheckFormatNone) {
        report->verdict = CheckNotCheckable;
        report->format = CheckFormatNone;
        return;
    }
    CheckTally* tally = &check->tally;
    if (!CheckFailedAlready(tally)) {
        FinishFormat(check, readBack);
    }
    // An output shorter than the file it came from lacks its end, whatever its format allows.
    if (check->fed < check->fileSize) {
        FailCheck(tally, CheckFailureTruncated, check->fed, 0);
    } else if (check->fed > check->fileSize) {
        FailCheck(tally, CheckFailureSize, check->fileSize, 0);
    }
    report->verdict = CheckFailedAlready(tally) ? CheckFailed : CheckPassed;
    report->format = check->format;
    report->failure = tally->failure;
    report->items = tally->items;
    report->uncheckedItems = tally->uncheckedItems;
    report->failedAt = tally->failedAt;
}

void EndOutputCheck(OutputCheck* check) {
    if (check == nullptr) {
        return;
    }
    EndInflater(&check->inflater);
    delete check;
}
