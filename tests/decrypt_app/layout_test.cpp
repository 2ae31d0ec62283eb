// The decrypt window's layout as the real program makes it, at the screen resolutions people use
// (96 and 144 DPI, set as Wine's LogPixels before the program starts) and in the language of the
// user's locale: every text fits its control, in the dialog font measured at that resolution; no
// control leaves the window or lies over another; the list grows with the window, the buttons and
// the warning keep their places, and the window never becomes smaller than its template.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include "res/decrypt_resource.h"
#include "tests/decrypt_app/window_driver.h"
#include "tests/support/remote_controls.h"
#include "tests/support/scratch_tree.h"
#include "tests/support/wide_text.h"

namespace {

const wchar_t DesktopKey[] = L"Control Panel\\Desktop";

bool RussianLocale() {
    wchar_t name[LOCALE_NAME_MAX_LENGTH] = L"";
    GetUserDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH);
    return wcsncmp(name, L"ru", 2) == 0;
}

// The screen resolution of programs started from here on, put back when the test ends.
class ScreenResolution {
  public:
    explicit ScreenResolution(DWORD dpi) {
        RegCreateKeyExW(HKEY_CURRENT_USER, DesktopKey, 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr,
                        &key_, nullptr);
        DWORD size = sizeof(previous_);
        had_ = RegQueryValueExW(key_, L"LogPixels", nullptr, nullptr,
                                reinterpret_cast<BYTE*>(&previous_), &size) == ERROR_SUCCESS;
        RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi),
                       sizeof(dpi));
    }
    ~ScreenResolution() {
        if (had_) {
            RegSetValueExW(key_, L"LogPixels", 0, REG_DWORD,
                           reinterpret_cast<const BYTE*>(&previous_), sizeof(previous_));
        } else {
            RegDeleteValueW(key_, L"LogPixels");
        }
        RegCloseKey(key_);
    }

  private:
    HKEY key_ = nullptr;
    DWORD previous_ = 0;
    bool had_ = false;
};

RECT ClientRectOf(HWND dialog, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The controls that show a text of their own, and how much room beside the text each kind needs
// at 96 DPI (a check box's square, a button's edges).
struct Captioned {
    int id;
    int room;
    UINT format;
};
const Captioned CaptionedControls[] = {
    {IDC_FILES_LABEL, 0, 0},
    {IDC_ADD_FILES, 8, 0},
    {IDC_ADD_FOLDER, 8, 0},
    {IDC_REMOVE, 8, 0},
    {IDC_KEY_GROUP, 16, 0},
    {IDC_KEY_AUTO, 18, 0},
    {IDC_KEY_BUILT_IN, 18, 0},
    {IDC_KEY_PAIR, 18, 0},
    {IDC_PAIR_ORIGINAL_LABEL, 0, 0},
    {IDC_PAIR_ORIGINAL_CHOOSE, 8, 0},
    {IDC_PAIR_ENCRYPTED_LABEL, 0, 0},
    {IDC_PAIR_ENCRYPTED_CHOOSE, 8, 0},
    {IDC_KEY_PASSWORD, 18, 0},
    {IDC_PASSWORD_HINT, 0, DT_NOPREFIX},
    {IDC_STATUS, 0, DT_NOPREFIX},
    {IDC_DECRYPT, 8, 0},
    {IDC_STOP, 8, 0},
    {IDC_SAVE_REPORT, 8, 0},
    {IDC_EXIT, 8, 0},
};

// The dialog's font, 8 points of "MS Shell Dlg", at the program's resolution.
HFONT DialogFont(int dpi, int weight) {
    return CreateFontW(-MulDiv(8, dpi, 72), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                       OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, L"MS Shell Dlg");
}

SIZE Measure(HDC dc, const std::wstring& text, UINT format, int wrapWidth) {
    RECT rect = {0, 0, wrapWidth > 0 ? wrapWidth : 10000, 0};
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rect,
              DT_CALCRECT | format | (wrapWidth > 0 ? DT_WORDBREAK : DT_SINGLELINE));
    return {rect.right - rect.left, rect.bottom - rect.top};
}

void CheckFits(int dpi) {
    ScreenResolution resolution(static_cast<DWORD>(dpi));
    ProgramRun run = {};
    ASSERT_TRUE(StartProgramCaptioned(&run, RussianLocale() ? RussianCaption : EnglishCaption));
    // A status line as long as a run makes it, in the window's language.
    ASSERT_TRUE(MakeFolder(L"\\\\?\\D:\\a folder with a longer name"));
    ASSERT_TRUE(DropFilesOnto(run.dialog, {L"D:\\a folder with a longer name"}));
    WaitUntilIdle(run, 30000);

    RECT client;
    GetClientRect(run.dialog, &client);
    HDC dc = GetDC(nullptr);
    HFONT normal = DialogFont(dpi, FW_NORMAL);
    HFONT bold = DialogFont(dpi, FW_BOLD);
    HGDIOBJ previous = SelectObject(dc, normal);
    for (const Captioned& control : CaptionedControls) {
        HWND window = Control(run, control.id);
        std::wstring text = ReadText(window);
        RECT rect = ClientRectOf(run.dialog, window);
        SIZE size = Measure(dc, text, control.format, 0);
        EXPECT_LE(size.cx + MulDiv(control.room, dpi, 96), rect.right - rect.left)
            << "control " << control.id << " at " << dpi << " DPI: " << Utf8(text);
    }
    // The warning wraps within its box and shows every line.
    SelectObject(dc, bold);
    HWND warning = Control(run, IDC_WARNING);
    RECT box = ClientRectOf(run.dialog, warning);
    SIZE wrapped = Measure(dc, ReadText(warning), DT_NOPREFIX, box.right - box.left);
    EXPECT_LE(wrapped.cy, box.bottom - box.top) << "the warning is cut off at " << dpi << " DPI";
    EXPECT_GT(wrapped.cy, 0);

    // The list's column titles fit their columns.
    SelectObject(dc, normal);
    HWND list = Control(run, IDC_FILE_LIST);
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    int columns = static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
    EXPECT_EQ(columns, 6);
    const wchar_t* const english[] = {L"Name", L"Folder", L"Size", L"Key", L"Result", L"Check"};
    const wchar_t* const russian[] = {L"Имя",  L"Папка",     L"Размер",
                                      L"Ключ", L"Результат", L"Проверка"};
    int total = 0;
    for (int column = 0; column < columns && column < 6; ++column) {
        int width = static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
        total += width;
        std::wstring title = RussianLocale() ? russian[column] : english[column];
        EXPECT_LE(Measure(dc, title, 0, 0).cx + MulDiv(12, dpi, 96), width) << Utf8(title);
    }
    RECT inside;
    GetClientRect(list, &inside);
    EXPECT_LE(total, inside.right) << "the columns need a horizontal scroll bar";
    SelectObject(dc, previous);
    DeleteObject(normal);
    DeleteObject(bold);
    ReleaseDC(nullptr, dc);

    // Every control inside the window, none over another but the key group over its own.
    RECT group = ClientRectOf(run.dialog, Control(run, IDC_KEY_GROUP));
    std::vector<std::pair<int, RECT>> placed;
    for (HWND child = GetWindow(run.dialog, GW_CHILD); child != nullptr;
         child = GetWindow(child, GW_HWNDNEXT)) {
        int id = GetDlgCtrlID(child);
        RECT rect = ClientRectOf(run.dialog, child);
        if (ReadClassName(child) == L"ComboBox") {
            rect.bottom = rect.top + MulDiv(14, dpi, 96); // its drop-down list is not shown
        }
        EXPECT_GE(rect.left, client.left) << id;
        EXPECT_GE(rect.top, client.top) << id;
        EXPECT_LE(rect.right, client.right) << id;
        EXPECT_LE(rect.bottom, client.bottom) << id;
        RECT both;
        if (id == IDC_KEY_GROUP) {
            continue;
        }
        // The key's own controls lie inside its group box, and only they.
        bool ofTheKey = id >= IDC_KEY_AUTO && id <= IDC_PASSWORD_HINT;
        IntersectRect(&both, &rect, &group);
        EXPECT_EQ(EqualRect(&both, &rect) != FALSE, ofTheKey) << id << " and the key's group";
        for (const auto& other : placed) {
            EXPECT_FALSE(IntersectRect(&both, &rect, &other.second))
                << "controls " << id << " and " << other.first << " overlap at " << dpi;
        }
        placed.push_back({id, rect});
    }
    StopProgram(&run);
}

TEST(DecryptLayout, EveryTextFitsAt96Dpi) {
    ClearTestDrives();
    CheckFits(96);
}

TEST(DecryptLayout, EveryTextFitsAt144Dpi) {
    ClearTestDrives();
    CheckFits(144);
}

// The window opens with room for a dozen rows (the test's screen is 1024 x 768), and the name,
// folder and result columns share the list's width, the result taking the most.
TEST(DecryptLayout, OpensForADozenRowsAndTheColumnsShareTheWidth) {
    ProgramRun run = {};
    ASSERT_TRUE(StartProgramCaptioned(&run, EnglishCaption));
    HWND list = Control(run, IDC_FILE_LIST);
    EXPECT_GE(SendMessageW(list, LVM_GETCOUNTPERPAGE, 0, 0), 12);
    auto width = [&](int column) {
        return static_cast<int>(SendMessageW(list, LVM_GETCOLUMNWIDTH, column, 0));
    };
    EXPECT_GT(width(4), width(1));
    EXPECT_GT(width(1), width(0));
    EXPECT_GT(width(0), width(2));
    RECT inside;
    GetClientRect(list, &inside);
    int total = 0;
    for (int column = 0; column < 6; ++column) {
        total += width(column);
    }
    EXPECT_LE(total, inside.right);
    EXPECT_GE(total, inside.right - GetSystemMetrics(SM_CXVSCROLL) - 5);
    // Wider, the result column gains the most.
    RECT window;
    GetWindowRect(run.dialog, &window);
    int before = width(4);
    int folderBefore = width(1);
    SetWindowPos(run.dialog, nullptr, 0, 0, window.right - window.left + 60,
                 window.bottom - window.top, SWP_NOMOVE | SWP_NOZORDER);
    Settle(run);
    EXPECT_GT(width(4) - before, width(1) - folderBefore);
    EXPECT_GT(width(1), folderBefore);
    StopProgram(&run);
}

TEST(DecryptLayout, ListGrowsWithTheWindowAndTheWindowKeepsItsLeastSize) {
    ProgramRun run = {};
    ASSERT_TRUE(StartProgramCaptioned(&run, EnglishCaption));
    RECT window;
    GetWindowRect(run.dialog, &window);
    int width = window.right - window.left;
    int height = window.bottom - window.top;
    auto place = [&](int id) { return ClientRectOf(run.dialog, Control(run, id)); };
    RECT list = place(IDC_FILE_LIST);
    RECT decrypt = place(IDC_DECRYPT);
    RECT exit = place(IDC_EXIT);
    RECT addFiles = place(IDC_ADD_FILES);
    RECT warning = place(IDC_WARNING);

    SetWindowPos(run.dialog, nullptr, 0, 0, width + 60, height + 40, SWP_NOMOVE | SWP_NOZORDER);
    Settle(run);
    RECT grownList = place(IDC_FILE_LIST);
    EXPECT_EQ(grownList.right - grownList.left, list.right - list.left + 60);
    EXPECT_EQ(grownList.bottom - grownList.top, list.bottom - list.top + 40);
    RECT movedDecrypt = place(IDC_DECRYPT);
    EXPECT_EQ(movedDecrypt.left, decrypt.left);
    EXPECT_EQ(movedDecrypt.top, decrypt.top + 40);
    RECT movedExit = place(IDC_EXIT);
    EXPECT_EQ(movedExit.left, exit.left + 60);
    EXPECT_EQ(movedExit.top, exit.top + 40);
    RECT movedAdd = place(IDC_ADD_FILES);
    EXPECT_EQ(movedAdd.left, addFiles.left + 60);
    EXPECT_EQ(movedAdd.top, addFiles.top);
    RECT grownWarning = place(IDC_WARNING);
    EXPECT_EQ(grownWarning.top, warning.top);
    EXPECT_EQ(grownWarning.right - grownWarning.left, warning.right - warning.left + 60);

    // Made as small as it goes: the template's size, smaller than it opened, and the same however
    // small it is asked to be; the buttons still side by side.
    SetWindowPos(run.dialog, nullptr, 0, 0, width / 3, height / 3, SWP_NOMOVE | SWP_NOZORDER);
    Settle(run);
    GetWindowRect(run.dialog, &window);
    RECT least = window;
    EXPECT_LT(least.right - least.left, width);
    EXPECT_LE(least.bottom - least.top, height);
    SetWindowPos(run.dialog, nullptr, 0, 0, 10, 10, SWP_NOMOVE | SWP_NOZORDER);
    Settle(run);
    GetWindowRect(run.dialog, &window);
    EXPECT_EQ(window.right - window.left, least.right - least.left);
    EXPECT_EQ(window.bottom - window.top, least.bottom - least.top);
    EXPECT_GT(place(IDC_EXIT).left, place(IDC_SAVE_REPORT).right);
    EXPECT_GT(place(IDC_ADD_FILES).left, place(IDC_FILE_LIST).right);
    StopProgram(&run);
}

} // namespace
