// The resources inside the built program, read back from its file: the dialog template, the
// banner, the icon, the manifest and the version block, each in its language.
#include "res/resource.h"
#include "tests/support/program_driver.h"

#include <gtest/gtest.h>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {
const WORD English = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
const WORD Russian = MAKELANGID(LANG_RUSSIAN, SUBLANG_DEFAULT);

class Resources : public testing::Test {
  protected:
    void SetUp() override {
        module = LoadLibraryExW(ProgramPath.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << "cannot open the program's resources";
    }
    void TearDown() override {
        if (module != nullptr) {
            FreeLibrary(module);
        }
    }
    // The resource's bytes, empty when there is none in that language.
    std::vector<uint8_t> Load(const wchar_t* type, int id, WORD language) {
        HRSRC found = FindResourceExW(module, type, MAKEINTRESOURCEW(id), language);
        if (found == nullptr) {
            return {};
        }
        const uint8_t* bytes =
            static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
        return std::vector<uint8_t>(bytes, bytes + SizeofResource(module, found));
    }
    HMODULE module = nullptr;
};

// Reads the template's fields in order.
struct TemplateReader {
    const uint8_t* data;
    size_t at;
    uint16_t Word() {
        uint16_t value;
        std::memcpy(&value, data + at, 2);
        at += 2;
        return value;
    }
    uint32_t Dword() { return Word() | static_cast<uint32_t>(Word()) << 16; }
    std::wstring Text() {
        std::wstring text;
        for (uint16_t c = Word(); c != 0; c = Word()) {
            text += static_cast<wchar_t>(c);
        }
        return text;
    }
    // A name or an ordinal: "#n" for an ordinal, "" for none.
    std::wstring NameOrOrdinal() {
        uint16_t first = Word();
        if (first == 0) {
            return L"";
        }
        if (first == 0xFFFF) {
            return L"#" + std::to_wstring(Word());
        }
        at -= 2;
        return Text();
    }
    void AlignToDword() { at = (at + 3) & ~static_cast<size_t>(3); }
};

struct ControlRow {
    uint32_t id;
    const wchar_t* windowClass; // predefined classes by ordinal: 0x80 Button, 0x81 Edit
    const wchar_t* text;
    int16_t x, y, cx, cy;
    uint32_t style;
    uint32_t exStyle;
};

// The main dialog's controls in template (and tab) order.
const ControlRow MainDialogControls[] = {
    {IDC_CONTINUE, L"#128", L"Continue", 83, 148, 64, 13,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_FLAT | BS_PUSHBUTTON, 0},
    {IDC_EXIT, L"#128", L"Exit", 158, 148, 64, 13,
     WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_FLAT | BS_DEFPUSHBUTTON, 0},
    {IDC_TEXT, L"#129", L"", 0, 58, 305, 82,
     WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_GROUP | WS_TABSTOP | ES_MULTILINE |
         ES_READONLY,
     WS_EX_TRANSPARENT},
};

TEST_F(Resources, MainDialogTemplate) {
    std::vector<uint8_t> bytes = Load(RT_DIALOG, IDD_MAIN, English);
    ASSERT_FALSE(bytes.empty());
    TemplateReader in = {bytes.data(), 0};
    EXPECT_EQ(in.Word(), 1);      // dlgVer
    EXPECT_EQ(in.Word(), 0xFFFF); // extended template
    EXPECT_EQ(in.Dword(), 0u);    // help id
    EXPECT_EQ(in.Dword(), 0u);    // extended style
    EXPECT_EQ(in.Dword(), 0x00C00849u);
    uint16_t count = in.Word();
    EXPECT_EQ(count, 3);
    EXPECT_EQ(in.Word(), 0);
    EXPECT_EQ(in.Word(), 0);
    EXPECT_EQ(in.Word(), 305);
    EXPECT_EQ(in.Word(), 177);
    EXPECT_EQ(in.NameOrOrdinal(), L""); // menu
    EXPECT_EQ(in.NameOrOrdinal(), L""); // class
    EXPECT_EQ(in.Text(), L"");          // caption
    EXPECT_EQ(in.Word(), 8);            // points
    EXPECT_EQ(in.Word(), 400);          // weight
    uint16_t italicAndCharset = in.Word();
    EXPECT_EQ(italicAndCharset & 0xFF, 0);
    EXPECT_EQ(italicAndCharset >> 8, RUSSIAN_CHARSET);
    EXPECT_EQ(in.Text(), L"MS Shell Dlg");
    for (int i = 0; i < count && i < 3; ++i) {
        const ControlRow& row = MainDialogControls[i];
        in.AlignToDword();
        EXPECT_EQ(in.Dword(), 0u) << "control " << row.id;
        EXPECT_EQ(in.Dword(), row.exStyle) << "control " << row.id;
        EXPECT_EQ(in.Dword(), row.style) << "control " << row.id;
        EXPECT_EQ(static_cast<int16_t>(in.Word()), row.x) << "control " << row.id;
        EXPECT_EQ(static_cast<int16_t>(in.Word()), row.y) << "control " << row.id;
        EXPECT_EQ(static_cast<int16_t>(in.Word()), row.cx) << "control " << row.id;
        EXPECT_EQ(static_cast<int16_t>(in.Word()), row.cy) << "control " << row.id;
        EXPECT_EQ(in.Dword(), row.id);
        EXPECT_EQ(in.NameOrOrdinal(), row.windowClass) << "control " << row.id;
        EXPECT_EQ(in.NameOrOrdinal(), row.text) << "control " << row.id;
        in.at += in.Word(); // creation data
    }
}

TEST_F(Resources, BannerBitmap) {
    std::vector<uint8_t> bytes = Load(RT_BITMAP, IDB_BANNER, English);
    ASSERT_EQ(bytes.size(), 40u + 149040u);
    BITMAPINFOHEADER header;
    std::memcpy(&header, bytes.data(), sizeof(header));
    EXPECT_EQ(header.biSize, 40u);
    EXPECT_EQ(header.biWidth, 459);
    EXPECT_EQ(header.biHeight, 108); // positive: bottom-up
    EXPECT_EQ(header.biBitCount, 24);
    EXPECT_EQ(header.biCompression, static_cast<DWORD>(BI_RGB));
    // Where the title is painted (right edge 439, top 63, a line of the system font below it)
    // the picture is white or nearly so.
    const int rowBytes = 1380;
    int dark = 0;
    for (int y = 60; y < 90; ++y) {
        const uint8_t* row = bytes.data() + 40 + (107 - y) * rowBytes;
        for (int x = 290; x < 459; ++x) {
            for (int c = 0; c < 3; ++c) {
                dark += row[x * 3 + c] < 235;
            }
        }
    }
    EXPECT_EQ(dark, 0);
}

TEST_F(Resources, IconGroupHoldsOne16ColourIcon) {
    std::vector<uint8_t> group = Load(RT_GROUP_ICON, IDI_MAIN, English);
    ASSERT_EQ(group.size(), 6u + 14u);
    EXPECT_EQ(group[2] | group[3] << 8, 1); // icons, not cursors
    EXPECT_EQ(group[4] | group[5] << 8, 1); // one image
    EXPECT_EQ(group[6], 32);                // width
    EXPECT_EQ(group[7], 32);                // height
    EXPECT_EQ(group[8], 16);                // colours
    EXPECT_EQ(group[12] | group[13] << 8, 4);
    int id = group[18] | group[19] << 8;
    std::vector<uint8_t> image = Load(RT_ICON, id, English);
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data(), sizeof(header));
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64); // colour bits and mask
    EXPECT_EQ(header.biBitCount, 4);
}

TEST_F(Resources, ManifestAsksToRunAsInvokerAndNothingElse) {
    std::vector<uint8_t> bytes = Load(RT_MANIFEST, IDR_MANIFEST, English);
    ASSERT_FALSE(bytes.empty());
    std::string manifest(bytes.begin(), bytes.end());
    // No dependency: version 6 of the common controls would change the look and the bar colour.
    EXPECT_EQ(manifest.find("dependency"), std::string::npos) << manifest;
    EXPECT_EQ(manifest.find("Common-Controls"), std::string::npos) << manifest;

    // The run level as the system itself reads it from the program's manifest: asInvoker, so
    // Windows treats the program as no legacy program and never virtualises its renames.
    ACTCTXW context = {};
    context.cbSize = sizeof(context);
    context.dwFlags = ACTCTX_FLAG_RESOURCE_NAME_VALID;
    context.lpSource = ProgramPath.c_str();
    context.lpResourceName = MAKEINTRESOURCEW(IDR_MANIFEST);
    HANDLE activation = CreateActCtxW(&context);
    ASSERT_NE(activation, INVALID_HANDLE_VALUE) << "the manifest does not parse: " << manifest;
    ACTIVATION_CONTEXT_RUN_LEVEL_INFORMATION level = {};
    SIZE_T written = 0;
    EXPECT_TRUE(QueryActCtxW(0, activation, nullptr, RunlevelInformationInActivationContext, &level,
                             sizeof(level), &written));
    EXPECT_EQ(level.RunLevel, ACTCTX_RUN_LEVEL_AS_INVOKER);
    EXPECT_EQ(level.UiAccess, 0u);
    ReleaseActCtx(activation);
}

TEST_F(Resources, VersionBlockIsRussian) {
    EXPECT_TRUE(Load(RT_VERSION, IDV_VERSION, English).empty());
    std::vector<uint8_t> bytes = Load(RT_VERSION, IDV_VERSION, Russian);
    ASSERT_FALSE(bytes.empty());
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueW(bytes.data(), L"\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010000u);
    EXPECT_EQ(fixed->dwFileVersionLS, 0u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010000u);
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(bytes.data(), L"\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &size));
    EXPECT_EQ(translation[0], 0x0419);
    EXPECT_EQ(translation[1], 1200);
    const struct {
        const wchar_t* key;
        const wchar_t* value;
    } strings[] = {
        {L"ProductName", L"Rescindo"},
        {L"InternalName", L"Rescindo"},
        {L"FileDescription", L"Vorpalix file unlocker"},
        {L"FileVersion", L"1, 0, 0, 0"},
        {L"ProductVersion", L"1, 0, 0, 0"},
        {L"OriginalFilename", L"rescindo.exe"},
    };
    for (const auto& entry : strings) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\041904B0\\") + entry.key;
        wchar_t* value = nullptr;
        ASSERT_TRUE(
            VerQueryValueW(bytes.data(), query.c_str(), reinterpret_cast<void**>(&value), &size))
            << "no " << entry.key;
        EXPECT_STREQ(value, entry.value);
    }
}

} // namespace
