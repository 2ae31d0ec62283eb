// rescindo-decrypt.exe under Wine, driven from this process as a person would drive it: files
// added by the open-file dialog, the folder picker and drops onto the window, the key chosen in
// its controls, Decrypt pressed, every row read back, every output compared byte for byte with
// the plaintext OpenSSL encrypted, and what must not be written checked absent.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>
#include <utility>
#include <nlohmann/json.hpp>

#include "common/run_state.h"
#include "crypto/des.h"
#include "recovery/key_select.h"
#include "res/decrypt_resource.h"
#include "tests/decrypt_app/crypt_files.h"
#include "tests/decrypt_app/window_driver.h"
#include "tests/support/remote_controls.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"

namespace {

using Json = nlohmann::json;

const std::wstring D = L"\\\\?\\D:";
const std::wstring E = L"\\\\?\\E:";
// Upper bounds only.
const DWORD RunLimitMs = 120000;
const DWORD ExitLimitMs = 20000;

class DecryptWindow : public ::testing::Test {
  protected:
    void SetUp() override {
        ClearTestDrives();
        ASSERT_TRUE(MakeFolder(D + L"\\docs"));
    }
    void TearDown() override {
        StopProgram(&run);
        ClearTestDrives();
    }
    void Start() { ASSERT_TRUE(StartProgramCaptioned(&run, EnglishCaption)); }
    HWND Item(int id) const { return Control(run, id); }
    void ChooseKey(int radio) { Click(Item(radio)); }
    void TypePassword(const std::wstring& password) {
        SendMessageW(Item(IDC_PASSWORD), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(password.c_str()));
    }
    // Picks files in the open-file dialog: the folder is typed first, then the names.
    void AddByPicker(const std::wstring& folder, const std::vector<std::wstring>& names) {
        std::wstring typed;
        for (const std::wstring& name : names) {
            typed += L"\"" + name + L"\" ";
        }
        ClickLater(Item(IDC_ADD_FILES));
        ASSERT_TRUE(AnswerFileDialog(run, {folder, typed}));
        ASSERT_TRUE(WaitUntilIdle(run, RunLimitMs));
    }
    ProgramRun run = {};
};

std::string Narrow(const std::wstring& text) {
    return Utf8(text);
}

struct DescendantSearch {
    const wchar_t* className;
    HWND found;
};

BOOL CALLBACK MatchDescendant(HWND window, LPARAM parameter) {
    DescendantSearch* search = reinterpret_cast<DescendantSearch*>(parameter);
    if (ReadClassName(window) != search->className) {
        return TRUE;
    }
    search->found = window;
    return FALSE;
}

BOOL CALLBACK ListTopLevel(HWND window, LPARAM parameter) {
    if (IsWindowVisible(window)) {
        *reinterpret_cast<std::string*>(parameter) +=
            Utf8(ReadClassName(window)) + " \"" + Utf8(ReadText(window)) + "\"; ";
    }
    return TRUE;
}

// The visible top-level windows, for failure messages.
std::string TopLevelWindows() {
    std::string list;
    EnumWindows(ListTopLevel, reinterpret_cast<LPARAM>(&list));
    return list;
}

BOOL CALLBACK ListCaptioned(HWND window, LPARAM parameter) {
    auto* found = reinterpret_cast<std::pair<std::wstring, std::vector<HWND>>*>(parameter);
    if (IsWindowVisible(window) && ReadText(window) == found->first) {
        found->second.push_back(window);
    }
    return TRUE;
}

// The visible top-level windows of this caption.
std::vector<HWND> TopLevelWindowsCaptioned(const std::wstring& caption) {
    std::pair<std::wstring, std::vector<HWND>> found = {caption, {}};
    EnumWindows(ListCaptioned, reinterpret_cast<LPARAM>(&found));
    return found.second;
}

HWND FindDescendant(HWND parent, const wchar_t* className) {
    DescendantSearch search = {className, nullptr};
    EnumChildWindows(parent, MatchDescendant, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The fixture's row says it was decrypted under key into output (its own name when empty) in
// folder (a long path), and the output holds the plaintext byte for byte.
void ExpectDecrypted(const ProgramRun& run, const std::wstring& folder, const char* name,
                     const std::wstring& key, std::wstring output = L"") {
    const DecryptFixture& fixture = FixtureNamed(name);
    ListRow row = RowNamed(run, NameOf(fixture) + L".crypt");
    output = output.empty() ? NameOf(fixture) : output;
    EXPECT_EQ(L"\\\\?\\" + row.folder, folder) << name;
    EXPECT_EQ(row.key, key) << name;
    EXPECT_EQ(row.result, L"decrypted → " + output) << name;
    EXPECT_EQ(ReadWhole(folder + L"\\" + output), PlainOf(fixture)) << name;
}

// Files of many types under all ten keys, picked in the open-file dialog: each whose type tells
// its key is decrypted under it into a new file beside it, and the row names the key and the
// output; a report.pdf that exists already is left, the output taking the next free name; plain
// text and a file under a password not given are "not identified" and get no output.
TEST_F(DecryptWindow, PickedFilesDecryptUnderTheKeysTheirTypesTell) {
    const char* const typed[] = {"report.pdf", "archive.zip", "letter.docx", "sheet.xlsx",
                                 "notes.odt",  "picture.png", "photo.jpg",   "anim.gif",
                                 "image.bmp",  "old.doc"};
    std::vector<std::wstring> names;
    for (const char* name : typed) {
        PlaceCrypt(D + L"\\docs", name);
        names.push_back(WideOf(name) + L".crypt");
    }
    PlaceCrypt(D + L"\\docs", "readme.txt");
    PlaceCrypt(D + L"\\docs", "data.rar");
    names.push_back(L"readme.txt.crypt");
    names.push_back(L"data.rar.crypt");
    ASSERT_TRUE(WriteWhole(D + L"\\docs\\report.pdf", "an older report"));
    Start();
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_DECRYPT))) << "nothing to decrypt yet";
    AddByPicker(L"D:\\docs", names);
    ASSERT_EQ(ListRows(run).size(), names.size()) << Narrow(StatusText(run));
    EXPECT_EQ(StatusText(run), L"Added: 12. Files in the list: 12.");

    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    for (const char* name : typed) {
        ExpectDecrypted(run, D + L"\\docs", name,
                        L"key " + std::to_wstring(FixtureNamed(name).selector),
                        std::string(name) == "report.pdf" ? L"report.pdf(0)" : L"");
    }
    EXPECT_EQ(ReadWhole(D + L"\\docs\\report.pdf"), "an older report");
    ListRow text = RowNamed(run, L"readme.txt.crypt");
    EXPECT_EQ(text.key, L"");
    EXPECT_EQ(text.result, L"not identified: no known signature for this file type");
    EXPECT_EQ(RowNamed(run, L"data.rar.crypt").result, L"not identified: no key fits");
    EXPECT_FALSE(Exists(D + L"\\docs\\readme.txt"));
    EXPECT_FALSE(Exists(D + L"\\docs\\data.rar"));
    EXPECT_EQ(StatusText(run), L"Decrypted 10 of 12 files; not identified 2, failed 0, skipped 0.");
    EXPECT_EQ(SendMessageW(Item(IDC_PROGRESS), PBM_GETPOS, 0, 0), 1000);
    // A second Decrypt takes only what is left, so no output is made twice.
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    EXPECT_FALSE(Exists(D + L"\\docs\\archive.zip(0)"));
    EXPECT_EQ(StatusText(run), L"Decrypted 0 of 2 files; not identified 2, failed 0, skipped 0.");
}

// The program started with paths, as Windows starts it for files dropped onto its icon or sent to
// it: they are listed as a drop of them would be, quoted paths with spaces and a missing path
// included, and decrypted when Decrypt is pressed. Read through the status line, the list's count
// and the files alone, which need no memory of the program's: so it runs where the product's
// 32-bit code is emulated, and its large file takes the decryptor's threads in the window.
TEST_F(DecryptWindow, StartedWithPathsListsThemAndDecrypts) {
    ASSERT_TRUE(MakeFolder(D + L"\\with space"));
    PlaceCrypt(D + L"\\docs", "report.pdf");
    PlaceCrypt(D + L"\\docs", "archive.zip");
    PlaceCrypt(D + L"\\with space", "letter.docx");
    const int64_t largeSize = 8ll << 20;
    ASSERT_TRUE(MakeLargeFile(E + L"\\large.bin.crypt", largeSize));
    ASSERT_TRUE(StartProgramCaptioned(
        &run, EnglishCaption,
        L"D:\\docs \"D:\\with space\\letter.docx.crypt\" \"E:\\large.bin.crypt\" \"D:\\gone\""));
    ASSERT_TRUE(WaitUntilIdle(run, RunLimitMs));
    EXPECT_EQ(StatusText(run), L"Added: 4. Files in the list: 4. Not found: D:\\gone.");
    EXPECT_EQ(SendMessageW(Item(IDC_FILE_LIST), LVM_GETITEMCOUNT, 0, 0), 4);

    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    EXPECT_EQ(StatusText(run), L"Decrypted 3 of 4 files; not identified 1, failed 0, skipped 0.");
    for (const char* name : {"report.pdf", "archive.zip"}) {
        EXPECT_EQ(ReadWhole(D + L"\\docs\\" + WideOf(name)), PlainOf(FixtureNamed(name))) << name;
    }
    EXPECT_EQ(ReadWhole(D + L"\\with space\\letter.docx"), PlainOf(FixtureNamed("letter.docx")));

    // The file of no known type takes the key chosen: one chain through every chunk, whichever
    // thread decrypted it.
    ChooseKey(IDC_KEY_BUILT_IN);
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    EXPECT_EQ(StatusText(run), L"Decrypted 1 of 1 files.");
    std::string expected(static_cast<size_t>(largeSize), '\0');
    auto* bytes = reinterpret_cast<uint8_t*>(&expected[0]);
    RunState.KeySelector = 0;
    ASSERT_EQ(SelectKey(0), 1);
    TripleDesCbcDecrypt(bytes, bytes, static_cast<uint32_t>(largeSize));
    EXPECT_TRUE(ReadWhole(E + L"\\large.bin") == expected);
}

// After a run, Move to Recycle Bin offers the .crypt files whose outputs checked, with their
// count, and moves them only when the user says yes: the file leaves its folder for the bin. A
// file whose output failed its check is never offered; one whose output changed after the run is
// kept and listed.
TEST_F(DecryptWindow, CheckedFilesGoToTheRecycleBinOnlyWhenConfirmed) {
    std::string cipher = ReadWhole(PlaceCrypt(D + L"\\docs", "real.zip"));
    PlaceCrypt(D + L"\\docs", "damaged.zip");
    PlaceCrypt(D + L"\\docs", "real.png");
    ASSERT_TRUE(StartProgramCaptioned(&run, EnglishCaption, L"D:\\docs"));
    ASSERT_TRUE(WaitUntilIdle(run, RunLimitMs));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_RECYCLE))) << "offered before any run";
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    EXPECT_EQ(RowNamed(run, L"damaged.zip.crypt").check, L"failed");
    // The user changes one output before cleaning up.
    ASSERT_TRUE(WriteWhole(D + L"\\docs\\real.png", "edited"));
    ASSERT_TRUE(IsWindowEnabled(Item(IDC_RECYCLE)));

    ClickLater(Item(IDC_RECYCLE));
    HWND box = WaitForOwnedDialog(run, ExitLimitMs);
    ASSERT_NE(box, nullptr);
    std::wstring question = AnswerMessageBox(box, IDNO);
    EXPECT_EQ(question.rfind(L"Move the 2 .crypt files whose decrypted files passed their checks "
                             L"to the Recycle Bin?",
                             0),
              0u)
        << Narrow(question);
    Settle(run);
    EXPECT_EQ(NamesIn(D + L"\\docs"), L"damaged.zip | damaged.zip.crypt | real.png | "
                                      L"real.png.crypt | real.zip | real.zip.crypt");

    ClickLater(Item(IDC_RECYCLE));
    box = WaitForOwnedDialog(run, ExitLimitMs);
    ASSERT_NE(box, nullptr);
    AnswerMessageBox(box, IDYES);
    // The file whose output changed is listed as kept when the job ends.
    box = WaitForOwnedDialog(run, RunLimitMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(AnswerMessageBox(box),
              L"These .crypt files were kept where they are:\r\n\r\nD:\\docs\\real.png.crypt: its "
              L"decrypted file \"real.png\" is gone or has changed since it was decrypted");
    ASSERT_TRUE(WaitUntilIdle(run, RunLimitMs));
    EXPECT_EQ(StatusText(run), L"Moved to the Recycle Bin: 1 .crypt files; kept: 1.");
    EXPECT_EQ(NamesIn(D + L"\\docs"),
              L"damaged.zip | damaged.zip.crypt | real.png | real.png.crypt | real.zip");
    EXPECT_EQ(ReadWhole(RecycleBinFiles() + L"\\real.zip.crypt"), cipher);
    EXPECT_EQ(RowNamed(run, L"real.zip.crypt").result,
              L"decrypted \u2192 real.zip; its .crypt file: moved to the Recycle Bin");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_RECYCLE))) << "offered again";
}

// A click on a column's header sorts the rows by it, a second click the other way; sizes sort by
// their bytes, not their texts; folders by their names without regard to case, the rows of each
// in the order they had.
TEST_F(DecryptWindow, ColumnHeadersSortTheRows) {
    for (const char* name : {"report.pdf", "archive.zip", "letter.docx", "notes.odt"}) {
        PlaceCrypt(D + L"\\docs", name);
    }
    // A capital sorts among the small letters.
    ASSERT_TRUE(MoveFileW((D + L"\\docs\\archive.zip.crypt").c_str(),
                          (D + L"\\docs\\Memo.zip.crypt").c_str()));
    ASSERT_TRUE(MakeFolder(D + L"\\docs\\beta") && MakeFolder(D + L"\\docs\\Alpha"));
    ASSERT_TRUE(MoveFileW(PlaceCrypt(D + L"\\docs\\beta", "report.pdf").c_str(),
                          (D + L"\\docs\\beta\\apple.pdf.crypt").c_str()));
    ASSERT_TRUE(MoveFileW(PlaceCrypt(D + L"\\docs\\Alpha", "archive.zip").c_str(),
                          (D + L"\\docs\\Alpha\\zebra.zip.crypt").c_str()));
    ASSERT_TRUE(StartProgramCaptioned(&run, EnglishCaption, L"D:\\docs"));
    ASSERT_TRUE(WaitUntilIdle(run, RunLimitMs));
    auto names = [&] {
        std::wstring joined;
        for (const ListRow& row : ListRows(run)) {
            joined += (joined.empty() ? L"" : L" ") + row.name;
        }
        return joined;
    };
    ClickColumnHeader(run, 0);
    EXPECT_EQ(names(), L"apple.pdf.crypt letter.docx.crypt Memo.zip.crypt notes.odt.crypt "
                       L"report.pdf.crypt zebra.zip.crypt");
    ClickColumnHeader(run, 0);
    EXPECT_EQ(names(), L"zebra.zip.crypt report.pdf.crypt notes.odt.crypt Memo.zip.crypt "
                       L"letter.docx.crypt apple.pdf.crypt");
    ClickColumnHeader(run, 0);
    // The folder's rows come from all over the list sorted by name.
    ClickColumnHeader(run, 1);
    EXPECT_EQ(names(), L"letter.docx.crypt Memo.zip.crypt notes.odt.crypt report.pdf.crypt "
                       L"zebra.zip.crypt apple.pdf.crypt");
    EXPECT_EQ(ListRows(run).back().folder, L"D:\\docs\\beta");
    ClickColumnHeader(run, 1);
    EXPECT_EQ(names(), L"apple.pdf.crypt zebra.zip.crypt letter.docx.crypt Memo.zip.crypt "
                       L"notes.odt.crypt report.pdf.crypt");
    ClickColumnHeader(run, 2);
    int64_t last = -1;
    for (const ListRow& row : ListRows(run)) {
        int64_t size = SizeOf(row.folder + L"\\" + row.name);
        EXPECT_LE(last, size) << Narrow(names());
        last = size;
    }
    // Sorted rows decrypt as well as any.
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    EXPECT_EQ(StatusText(run), L"Decrypted 6 of 6 files.");
}

// Files and folders dropped onto the window: a folder with its subfolders, a file of it dropped
// again, a file that is no .crypt file, a folder without one, a name in capitals the decryptor
// refuses; each file is listed once, and the status line says what was not taken. Then one
// built-in key decrypts every file, even the JPEG that two keys fit by its type.
TEST_F(DecryptWindow, DroppedFoldersAndFilesAreListedOnceAndDecryptUnderOneKey) {
    ASSERT_TRUE(MakeFolder(D + L"\\docs\\deeper"));
    ASSERT_TRUE(MakeFolder(E + L"\\empty"));
    PlaceCrypt(D + L"\\docs", "notes.odt");
    PlaceCrypt(D + L"\\docs\\deeper", "store.sqlite");
    PlaceCrypt(D + L"\\docs\\deeper", "twokeys.jpg");
    ASSERT_TRUE(WriteWhole(D + L"\\docs\\SHOUT.TXT.CRYPT", "capitals"));
    ASSERT_TRUE(WriteWhole(D + L"\\notes.txt", "not encrypted"));
    Start();
    ASSERT_TRUE(DropAndWait(run, {L"D:\\docs", L"D:\\docs\\deeper\\store.sqlite.crypt",
                                  L"D:\\notes.txt", L"E:\\empty"}));
    std::vector<ListRow> rows = ListRows(run);
    ASSERT_EQ(rows.size(), 4u) << Narrow(StatusText(run));
    EXPECT_EQ(StatusText(run), L"Added: 4. Files in the list: 4. Not a .crypt file: D:\\notes.txt. "
                               L"No .crypt file in E:\\empty.");
    EXPECT_EQ(RowNamed(run, L"twokeys.jpg.crypt").folder, L"D:\\docs\\deeper");
    EXPECT_EQ(RowNamed(run, L"SHOUT.TXT.CRYPT").result,
              L"skipped: the decryptor takes only names ending in \".crypt\", in small letters");
    ASSERT_TRUE(DropAndWait(run, {L"d:\\DOCS"}));
    EXPECT_EQ(StatusText(run), L"Already in the list. Files in the list: 4.");

    ChooseKey(IDC_KEY_BUILT_IN);
    SendMessageW(Item(IDC_KEY_NUMBER), CB_SETCURSEL, 4, 0);
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    ExpectDecrypted(run, D + L"\\docs", "notes.odt", L"key 4");
    ExpectDecrypted(run, D + L"\\docs\\deeper", "store.sqlite", L"key 4");
    ExpectDecrypted(run, D + L"\\docs\\deeper", "twokeys.jpg", L"key 4");
    EXPECT_EQ(RowNamed(run, L"SHOUT.TXT.CRYPT").result,
              L"skipped: the decryptor takes only names ending in \".crypt\", in small letters");
    EXPECT_EQ(StatusText(run), L"Decrypted 3 of 4 files; not identified 0, failed 0, skipped 1.");

    // Remove takes the selected rows off the list; the files stay.
    SelectListViewRows(Item(IDC_FILE_LIST), {0, 1});
    Settle(run);
    ASSERT_TRUE(IsWindowEnabled(Item(IDC_REMOVE)));
    Click(Item(IDC_REMOVE));
    EXPECT_EQ(ListRows(run).size(), 2u);
    EXPECT_EQ(StatusText(run), L"Removed from the list: 2 (the files themselves are untouched).");
    EXPECT_TRUE(Exists(D + L"\\docs\\notes.odt.crypt"));
    EXPECT_TRUE(Exists(D + L"\\docs\\deeper\\store.sqlite.crypt"));
}

// The folder picker: the folder's .crypt files and its subfolders' are added.
TEST_F(DecryptWindow, FolderPickerAddsTheFolderWithItsSubfolders) {
    ASSERT_TRUE(MakeFolder(D + L"\\docs\\deeper"));
    PlaceCrypt(D + L"\\docs", "anim.gif");
    PlaceCrypt(D + L"\\docs\\deeper", "image.bmp");
    Start();
    ClickLater(Item(IDC_ADD_FOLDER));
    ASSERT_TRUE(AnswerFileDialog(run, {L"D:\\docs"}));
    ASSERT_TRUE(WaitUntilIdle(run, RunLimitMs));
    std::vector<ListRow> rows = ListRows(run);
    ASSERT_EQ(rows.size(), 2u) << Narrow(StatusText(run));
    EXPECT_EQ(RowNamed(run, L"image.bmp.crypt").folder, L"D:\\docs\\deeper");
    const DecryptFixture& gif = FixtureNamed("anim.gif");
    ASSERT_LT(gif.size, 1024u);
    EXPECT_EQ(RowNamed(run, L"anim.gif.crypt").size, std::to_wstring(gif.size) + L" B");
}

// Files under a password: a wrong one beside the automatic way is one more key that fits none of
// them, so each is "not identified" and nothing is written; the right one as the key of every
// file decrypts them; a password that is not ASCII is made a key from its bytes in the code page
// of the file functions; an empty one is refused before anything starts.
TEST_F(DecryptWindow, PasswordKeysEveryFileAndAWrongOneIdentifiesNone) {
    PlaceCrypt(D + L"\\docs", "data.rar");
    PlaceCrypt(D + L"\\docs", "slides.pptx");
    Start();
    ASSERT_TRUE(DropAndWait(run, {L"D:\\docs"}));
    TypePassword(L"not the password");
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    EXPECT_EQ(RowNamed(run, L"data.rar.crypt").result, L"not identified: no key fits");
    EXPECT_EQ(RowNamed(run, L"slides.pptx.crypt").result, L"not identified: no key fits");
    EXPECT_EQ(NamesIn(D + L"\\docs"), L"data.rar.crypt | slides.pptx.crypt");

    ChooseKey(IDC_KEY_PASSWORD);
    TypePassword(L"");
    ClickLater(Item(IDC_DECRYPT));
    HWND box = WaitForOwnedDialog(run, ExitLimitMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(AnswerMessageBox(box), L"Type the password first.");
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_STOP))) << "a run started without a password";

    TypePassword(WideOf(SamplePassword));
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    ExpectDecrypted(run, D + L"\\docs", "data.rar", L"password");
    ExpectDecrypted(run, D + L"\\docs", "slides.pptx", L"password");

    ASSERT_TRUE(MakeFolder(E + L"\\more"));
    PlaceCrypt(E + L"\\more", "accented.rtf");
    PlaceCrypt(E + L"\\more", "longest.bin");
    ASSERT_TRUE(DropAndWait(run, {L"E:\\more\\accented.rtf.crypt"}));
    TypePassword(WideOf(AccentedPassword));
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    EXPECT_EQ(ReadWhole(E + L"\\more\\accented.rtf"), PlainOf(FixtureNamed("accented.rtf")));
    // The rows decrypted before were left alone: no second output of theirs.
    EXPECT_EQ(NamesIn(D + L"\\docs"),
              L"data.rar | data.rar.crypt | slides.pptx | slides.pptx.crypt");

    ASSERT_TRUE(DropAndWait(run, {L"E:\\more\\longest.bin.crypt"}));
    TypePassword(WideOf(LongestPassword) + L"!");
    ClickLater(Item(IDC_DECRYPT));
    box = WaitForOwnedDialog(run, ExitLimitMs);
    ASSERT_NE(box, nullptr);
    // Told in characters, with the number that fits: every one of these takes one byte.
    EXPECT_EQ(AnswerMessageBox(box),
              L"The password has 32 characters; at most 31 of them fit (the key is made from 31 "
              L"bytes, as Windows' file functions write the password, and some letters take two). "
              L"Type a shorter password.");
    TypePassword(WideOf(LongestPassword));
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    EXPECT_EQ(ReadWhole(E + L"\\more\\longest.bin"), PlainOf(FixtureNamed("longest.bin")));
}

// A known pair: its two files chosen in the open-file dialogs. A pair no key fits is said so in a
// message, and nothing is decrypted; the right pair's key decrypts files whose type tells
// nothing.
TEST_F(DecryptWindow, KnownPairFindsTheKeyOrDecryptsNothing) {
    ASSERT_TRUE(MakeFolder(E + L"\\backup"));
    const DecryptFixture& report = FixtureNamed("report.pdf");
    ASSERT_EQ(report.selector, 0);
    PlaceCrypt(D + L"\\docs", "report.pdf");
    ASSERT_TRUE(WriteWhole(E + L"\\backup\\report.pdf", PlainOf(report)));
    std::string wrong = PlainOf(report);
    wrong[0] = 'X';
    ASSERT_TRUE(WriteWhole(E + L"\\backup\\other.pdf", wrong));
    ASSERT_TRUE(MakeFolder(D + L"\\texts"));
    for (const char* name : {"readme.txt", "bundle.7z"}) {
        ASSERT_EQ(FixtureNamed(name).selector, 0);
        PlaceCrypt(D + L"\\texts", name);
    }
    Start();
    ASSERT_TRUE(DropAndWait(run, {L"D:\\texts"}));
    ChooseKey(IDC_KEY_PAIR);
    ClickLater(Item(IDC_DECRYPT));
    HWND box = WaitForOwnedDialog(run, ExitLimitMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(AnswerMessageBox(box),
              L"Choose both files of the pair: the original and its .crypt file.");

    ClickLater(Item(IDC_PAIR_ORIGINAL_CHOOSE));
    ASSERT_TRUE(AnswerFileDialog(run, {L"E:\\backup\\other.pdf"}));
    ClickLater(Item(IDC_PAIR_ENCRYPTED_CHOOSE));
    ASSERT_TRUE(AnswerFileDialog(run, {L"D:\\docs\\report.pdf.crypt"}));
    EXPECT_EQ(ReadText(Item(IDC_PAIR_ORIGINAL)), L"E:\\backup\\other.pdf");
    EXPECT_EQ(ReadText(Item(IDC_PAIR_ENCRYPTED)), L"D:\\docs\\report.pdf.crypt");
    ClickLater(Item(IDC_DECRYPT));
    box = WaitForOwnedDialog(run, RunLimitMs);
    ASSERT_NE(box, nullptr);
    EXPECT_EQ(AnswerMessageBox(box),
              L"No key turns D:\\docs\\report.pdf.crypt into E:\\backup\\other.pdf: no key fits."
              L"\r\n\r\nNothing was decrypted.");
    EXPECT_EQ(NamesIn(D + L"\\texts"), L"bundle.7z.crypt | readme.txt.crypt");
    EXPECT_EQ(RowNamed(run, L"readme.txt.crypt").result, L"");

    ClickLater(Item(IDC_PAIR_ORIGINAL_CHOOSE));
    ASSERT_TRUE(AnswerFileDialog(run, {L"E:\\backup\\report.pdf"}));
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    ExpectDecrypted(run, D + L"\\texts", "readme.txt", L"key 0");
    ExpectDecrypted(run, D + L"\\texts", "bundle.7z", L"key 0");
    EXPECT_FALSE(Exists(D + L"\\docs\\report.pdf")) << "the pair's file is no file of the run";
}

// Save report writes the last run's JSON lines, UTF-8 with CR LF; the save dialog asks before it
// lets an existing file be replaced, and No leaves that file as it was.
TEST_F(DecryptWindow, ReportIsJsonLinesAndNoFileIsReplacedSilently) {
    PlaceCrypt(D + L"\\docs", "picture.png");
    PlaceCrypt(D + L"\\docs", "readme.txt");
    ASSERT_TRUE(MakeFolder(D + L"\\Отчёты"));
    ASSERT_TRUE(WriteWhole(D + L"\\Отчёты\\old.jsonl", "keep me"));
    Start();
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_SAVE_REPORT))) << "no run yet";
    ASSERT_TRUE(DropAndWait(run, {L"D:\\docs"}));
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    ASSERT_TRUE(IsWindowEnabled(Item(IDC_SAVE_REPORT)));

    ClickLater(Item(IDC_SAVE_REPORT));
    HWND save = WaitForOwnedDialog(run, ExitLimitMs);
    ASSERT_NE(save, nullptr);
    Sleep(200);
    ASSERT_TRUE(TypeIntoFileDialog(save, L"D:\\Отчёты\\old.jsonl"));
    HWND prompt = WaitForDialogOwnedBy(run, save, ExitLimitMs);
    ASSERT_NE(prompt, nullptr) << "the save dialog replaced the file without asking";
    PostMessageW(prompt, WM_COMMAND, MAKEWPARAM(IDNO, BN_CLICKED), 0);
    WaitFor([&] { return !IsWindow(prompt); }, ExitLimitMs);
    PostMessageW(save, WM_COMMAND, IDCANCEL, 0);
    WaitFor([&] { return !IsWindow(save); }, ExitLimitMs);
    EXPECT_EQ(ReadWhole(D + L"\\Отчёты\\old.jsonl"), "keep me");

    ClickLater(Item(IDC_SAVE_REPORT));
    ASSERT_TRUE(AnswerFileDialog(run, {L"D:\\Отчёты\\run.jsonl"}));
    Settle(run);
    EXPECT_EQ(StatusText(run), L"Report saved: D:\\Отчёты\\run.jsonl");
    std::string text = ReadWhole(D + L"\\Отчёты\\run.jsonl");
    std::vector<Json> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
        lines.push_back(Json::parse(text.substr(start, end - start)));
    }
    EXPECT_EQ(start, text.size()) << "the last line has no CR LF";
    ASSERT_EQ(lines.size(), 3u) << text;
    std::map<std::string, Json> files;
    for (const Json& line : lines) {
        if (line["kind"] == "file") {
            files[line["path"]] = line;
        }
    }
    Json png = files["D:\\docs\\picture.png.crypt"];
    EXPECT_EQ(png["outcome"], "decrypted");
    EXPECT_EQ(png["key"], FixtureNamed("picture.png").selector);
    EXPECT_EQ(png["output"], "D:\\docs\\picture.png");
    EXPECT_EQ(files["D:\\docs\\readme.txt.crypt"]["outcome"], "not_identified");
    const Json& summary = lines.back();
    EXPECT_EQ(summary["kind"], "summary");
    EXPECT_EQ(summary["files"], 2);
    EXPECT_EQ(summary["decrypted"], 1);
    EXPECT_EQ(summary["not_identified"], 1);
    EXPECT_EQ(summary["paths"], Json::array({"D:\\docs"}));
    EXPECT_EQ(summary["exit_code"], 1);
}

// Double-clicking a decrypted row opens its folder in the file manager with the output selected.
TEST_F(DecryptWindow, DoubleClickShowsTheOutputInItsFolder) {
    ASSERT_TRUE(MakeFolder(D + L"\\photos"));
    PlaceCrypt(D + L"\\photos", "photo.jpg");
    ASSERT_TRUE(WriteWhole(D + L"\\photos\\another.txt", "another"));
    Start();
    ASSERT_TRUE(DropAndWait(run, {L"D:\\photos"}));
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    ASSERT_EQ(RowNamed(run, L"photo.jpg.crypt").result, L"decrypted → photo.jpg");
    HWND manager = nullptr;
    HWND view = nullptr;
    // Any of the file manager's windows of the folder that shows the selection.
    auto selectionShown = [&] {
        for (HWND window : TopLevelWindowsCaptioned(L"photos")) {
            manager = window;
            view = FindDescendant(manager, L"SysListView32");
            if (view != nullptr && ListViewSelectedRow(view) >= 0) {
                return true;
            }
        }
        return false;
    };
    ASSERT_TRUE(DoubleClickListViewRow(Item(IDC_FILE_LIST), 0));
    // Wine's file manager sometimes drops the selection it is sent while its window is still
    // starting (more often on a busy machine); a person would double-click again, and a window
    // that is open by then selects.
    for (int again = 0; again < 3 && !WaitFor(selectionShown, 10000); ++again) {
        ASSERT_TRUE(DoubleClickListViewRow(Item(IDC_FILE_LIST), 0));
    }
    ASSERT_TRUE(WaitFor(selectionShown, 10000))
        << "no file manager window with a selection (window " << (manager != nullptr)
        << ", its list " << (view != nullptr) << ", the row selected "
        << ListViewSelectedRow(Item(IDC_FILE_LIST)) << "; windows: " << TopLevelWindows() << ")";
    EXPECT_EQ(ListViewCell(view, ListViewSelectedRow(view), 0), L"photo.jpg");
    for (HWND window : TopLevelWindowsCaptioned(L"photos")) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

// Stop during a run: the run ends, the files not reached say so, and no output is left that is
// not whole. With stops between files only, the file being decrypted is finished first.
TEST_F(DecryptWindow, StopEndsTheRunAndLeavesNoPartOfAnOutput) {
    const int64_t size = 64ll << 20;
    const wchar_t* const names[] = {L"one.bin", L"two.bin", L"three.bin", L"four.bin"};
    for (const wchar_t* name : names) {
        ASSERT_TRUE(MakeLargeFile(D + L"\\docs\\" + name + L".crypt", size));
    }
    Start();
    ASSERT_TRUE(DropAndWait(run, {L"D:\\docs"}));
    ChooseKey(IDC_KEY_BUILT_IN);
    Click(Item(IDC_DECRYPT));
    // The first file of the run is the list's first row.
    HWND list = Item(IDC_FILE_LIST);
    ASSERT_TRUE(WaitFor([&] { return ListViewCell(list, 0, 4) == L"decrypting…"; }, RunLimitMs));
    EXPECT_TRUE(IsWindowEnabled(Item(IDC_STOP)));
    EXPECT_FALSE(IsWindowEnabled(Item(IDC_ADD_FILES)));
    // A second Decrypt while the run goes does nothing, even sent past the disabled button.
    SendMessageW(run.dialog, WM_COMMAND, MAKEWPARAM(IDC_DECRYPT, BN_CLICKED), 0);
    Click(Item(IDC_STOP));
    ASSERT_TRUE(WaitUntilIdle(run, RunLimitMs));
    // Nothing in the folder but the inputs and whole outputs: no part of one, under no name.
    int stopped = 0;
    std::wstring expected;
    for (const wchar_t* name : {L"four.bin", L"one.bin", L"three.bin", L"two.bin"}) {
        ListRow row = RowNamed(run, std::wstring(name) + L".crypt");
        if (row.result == L"stopped: not decrypted") {
            ++stopped;
        } else {
            EXPECT_EQ(row.result, L"decrypted → " + std::wstring(name));
            EXPECT_EQ(SizeOf(D + L"\\docs\\" + name), size) << Narrow(name);
            expected += (expected.empty() ? L"" : L" | ") + std::wstring(name);
        }
        expected += (expected.empty() ? L"" : L" | ") + std::wstring(name) + L".crypt";
    }
    EXPECT_GE(stopped, 2) << "Stop was pressed during the first file";
    EXPECT_EQ(NamesIn(D + L"\\docs"), expected);
    EXPECT_EQ(StatusText(run).substr(0, 9), L"Stopped: ");
}

// Stop within one large file: the run ends within a second, the file gets no output at all (no
// part of one under any name), and its row says it was stopped.
TEST_F(DecryptWindow, StopWithinALargeFileEndsTheRunWithinASecond) {
    const int64_t size = 4ll << 30;
    ASSERT_TRUE(MakeLargeFile(D + L"\\docs\\huge.bin.crypt", size));
    Start();
    ASSERT_TRUE(DropAndWait(run, {L"D:\\docs"}));
    ChooseKey(IDC_KEY_BUILT_IN);
    Click(Item(IDC_DECRYPT));
    HWND bar = Item(IDC_PROGRESS);
    ASSERT_TRUE(WaitFor([&] { return SendMessageW(bar, PBM_GETPOS, 0, 0) > 0; }, RunLimitMs))
        << "no progress within the file";
    DWORD pressed = GetTickCount();
    Click(Item(IDC_STOP));
    ASSERT_TRUE(WaitFor(
        [&] { return !IsWindowEnabled(Item(IDC_STOP)) && IsWindowEnabled(Item(IDC_ADD_FILES)); },
        RunLimitMs));
    EXPECT_LE(GetTickCount() - pressed, 1000u);
    EXPECT_EQ(RowNamed(run, L"huge.bin.crypt").result, L"stopped: not decrypted");
    EXPECT_EQ(NamesIn(D + L"\\docs"), L"huge.bin.crypt");
}

// The keyboard: Tab goes through the enabled controls in their order and back to the start,
// Enter on the list presses Decrypt, Esc leaves a running run alone; the close box during a run
// stops it and closes the window once the worker has ended.
TEST_F(DecryptWindow, KeyboardAndClosingDuringARun) {
    for (const wchar_t* name : {L"one.bin", L"two.bin", L"three.bin"}) {
        ASSERT_TRUE(MakeLargeFile(D + L"\\docs\\" + name + L".crypt", 64ll << 20));
    }
    Start();
    EXPECT_EQ(GetDlgCtrlID(FocusedWindow(&run)), IDC_ADD_FILES);
    ASSERT_TRUE(DropAndWait(run, {L"D:\\docs"}));
    EXPECT_EQ(GetDlgCtrlID(FocusedWindow(&run)), IDC_FILE_LIST) << "the list takes the focus";

    auto tabOrder = [&](int first) {
        std::vector<int> order;
        for (int step = 0; step < 30; ++step) {
            int id = GetDlgCtrlID(FocusedWindow(&run));
            if (step > 0 && id == first) {
                break;
            }
            order.push_back(id);
            PressKey(&run, VK_TAB);
            Settle(run);
        }
        return order;
    };
    EXPECT_EQ(tabOrder(IDC_FILE_LIST),
              (std::vector<int>{IDC_FILE_LIST, IDC_ADD_FILES, IDC_ADD_FOLDER, IDC_SEARCH_DRIVES,
                                IDC_KEY_AUTO, IDC_PASSWORD, IDC_DECRYPT, IDC_EXIT}));
    ChooseKey(IDC_KEY_PAIR);
    SendMessageW(run.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_FILE_LIST)), TRUE);
    EXPECT_EQ(tabOrder(IDC_FILE_LIST),
              (std::vector<int>{IDC_FILE_LIST, IDC_ADD_FILES, IDC_ADD_FOLDER, IDC_SEARCH_DRIVES,
                                IDC_KEY_PAIR, IDC_PAIR_ORIGINAL, IDC_PAIR_ORIGINAL_CHOOSE,
                                IDC_PAIR_ENCRYPTED, IDC_PAIR_ENCRYPTED_CHOOSE, IDC_PASSWORD,
                                IDC_DECRYPT, IDC_EXIT}));
    ChooseKey(IDC_KEY_BUILT_IN);
    SendMessageW(run.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_FILE_LIST)), TRUE);
    EXPECT_EQ(tabOrder(IDC_FILE_LIST),
              (std::vector<int>{IDC_FILE_LIST, IDC_ADD_FILES, IDC_ADD_FOLDER, IDC_SEARCH_DRIVES,
                                IDC_KEY_BUILT_IN, IDC_KEY_NUMBER, IDC_DECRYPT, IDC_EXIT}));

    SendMessageW(run.dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(IDC_FILE_LIST)), TRUE);
    PressKey(&run, VK_RETURN);
    ASSERT_TRUE(WaitFor([&] { return IsWindowEnabled(Item(IDC_STOP)) != FALSE; }, RunLimitMs))
        << "Enter did not start the run";
    EXPECT_EQ(GetDlgCtrlID(FocusedWindow(&run)), IDC_STOP);
    PressKey(&run, VK_ESCAPE);
    Settle(run);
    EXPECT_TRUE(IsRunning(&run)) << "Esc closed the window during a run";

    PostMessageW(run.dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(WaitForExit(&run, RunLimitMs), 0);
    for (const wchar_t* name : {L"one.bin", L"two.bin", L"three.bin"}) {
        std::wstring output = D + L"\\docs\\" + name;
        EXPECT_TRUE(!Exists(output) || SizeOf(output) == (64ll << 20)) << Narrow(name);
    }
}

// Esc closes the window when no run is going.
TEST_F(DecryptWindow, EscapeClosesAnIdleWindow) {
    Start();
    EXPECT_EQ(ReadText(Item(IDC_WARNING)),
              L"Keep every .crypt file until you have opened its decrypted file and checked it: a "
              L"file decrypted with the wrong key looks like any other until it is opened, and "
              L"only the .crypt file lets you try again.");
    PressKey(&run, VK_ESCAPE);
    EXPECT_EQ(WaitForExit(&run, ExitLimitMs), 0);
}

// Under a Russian user locale every text is Russian: the captions, the rows and the status line.
TEST_F(DecryptWindow, RussianTextsUnderARussianLocale) {
    PlaceCrypt(D + L"\\docs", "report.pdf");
    PlaceCrypt(D + L"\\docs", "readme.txt");
    ASSERT_TRUE(StartProgramCaptioned(&run, RussianCaption));
    EXPECT_EQ(ReadText(Item(IDC_DECRYPT)), L"Рас&шифровать");
    EXPECT_EQ(ReadText(Item(IDC_ADD_FOLDER)), L"Добавить пап&ку…");
    EXPECT_EQ(ReadText(Item(IDC_WARNING)).substr(0, 30), L"Сохраните каждый файл .crypt, ");
    ASSERT_TRUE(DropAndWait(run, {L"D:\\docs"}));
    EXPECT_EQ(StatusText(run), L"Добавлено: 2. Файлов в списке: 2.");
    ASSERT_TRUE(DecryptAndWait(run, RunLimitMs));
    EXPECT_EQ(RowNamed(run, L"report.pdf.crypt").key, L"ключ 0");
    EXPECT_EQ(RowNamed(run, L"report.pdf.crypt").result, L"расшифрован → report.pdf");
    EXPECT_EQ(RowNamed(run, L"readme.txt.crypt").result,
              L"ключ не определён: у этого типа файлов нет известной сигнатуры");
    EXPECT_EQ(StatusText(run),
              L"Расшифровано файлов: 1 из 2; ключ не определён: 1, ошибок: 0, пропущено: 0.");
    EXPECT_EQ(ReadWhole(D + L"\\docs\\report.pdf"), PlainOf(FixtureNamed("report.pdf")));
}

} // namespace
