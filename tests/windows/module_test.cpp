// The built module itself, read as the platform's screen-saver machinery reads it: its
// resources (all language neutral, nothing more than the map, the dialog and the description)
// and its two exported procedures.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

namespace {

HMODULE module = nullptr;

class Module : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        module = LoadLibraryExA(QUILLOMANTRASE_MODULE_PATH, nullptr, LOAD_LIBRARY_AS_DATAFILE);
    }
    static void TearDownTestSuite() { FreeLibrary(module); }
    void SetUp() override { ASSERT_NE(nullptr, module) << QUILLOMANTRASE_MODULE_PATH; }
};

struct Reader {
    const std::uint8_t* bytes;
    std::size_t at;
    std::uint16_t Word() {
        std::uint16_t value;
        std::memcpy(&value, bytes + at, 2);
        at += 2;
        return value;
    }
    std::uint32_t Dword() {
        std::uint32_t value;
        std::memcpy(&value, bytes + at, 4);
        at += 4;
        return value;
    }
    std::string Text() {
        std::string text;
        while (std::uint16_t c = Word()) text += static_cast<char>(c);
        return text;
    }
    void AlignDword() { at = (at + 3) & ~std::size_t{3}; }
};

BOOL CALLBACK CollectType(HMODULE, LPSTR type, LONG_PTR types) {
    reinterpret_cast<std::set<ULONG_PTR>*>(types)->insert(reinterpret_cast<ULONG_PTR>(type));
    return TRUE;
}

BOOL CALLBACK CollectLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR languages) {
    reinterpret_cast<std::vector<WORD>*>(languages)->push_back(language);
    return TRUE;
}

std::vector<WORD> Languages(LPCSTR type, LPCSTR name) {
    std::vector<WORD> languages;
    EnumResourceLanguagesA(module, type, name, CollectLanguage, reinterpret_cast<LONG_PTR>(&languages));
    return languages;
}

std::vector<std::uint8_t> ReadFileBytes(const char* path) {
    std::vector<std::uint8_t> bytes;
    if (std::FILE* file = std::fopen(path, "rb")) {
        std::uint8_t buffer[65536];
        std::size_t count;
        while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.insert(bytes.end(), buffer, buffer + count);
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

TEST_F(Module, CarriesTheMapTheDialogAndTheDescriptionAllLanguageNeutral) {
    std::set<ULONG_PTR> types;
    EnumResourceTypesA(module, CollectType, reinterpret_cast<LONG_PTR>(&types));
    EXPECT_EQ((std::set<ULONG_PTR>{10, 5, 6}), types) << "RCDATA, DIALOG and STRING only: no icon, version or manifest";
    const std::vector<WORD> neutral = {MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL)};
    EXPECT_EQ(neutral, Languages(MAKEINTRESOURCEA(10), MAKEINTRESOURCEA(3847)));
    EXPECT_EQ(neutral, Languages(MAKEINTRESOURCEA(5), "IDD_OPTION"));
    EXPECT_EQ(neutral, Languages(MAKEINTRESOURCEA(6), MAKEINTRESOURCEA(1)));
}

TEST_F(Module, TheMapResourceIsTheEarthPictureByteForByte) {
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(3847), MAKEINTRESOURCEA(10));
    ASSERT_NE(nullptr, found);
    ASSERT_EQ(1500054u, SizeofResource(module, found));
    const auto* bytes = static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found)));
    const std::vector<std::uint8_t> file = ReadFileBytes(QUILLOMANTRASE_MAP_PATH);
    ASSERT_EQ(1500054u, file.size());
    EXPECT_EQ(0, std::memcmp(file.data(), bytes, file.size()));
}

TEST_F(Module, TheOptionsDialogIsTheClassicTemplateAsLaidDown) {
    HRSRC found = FindResourceA(module, "IDD_OPTION", MAKEINTRESOURCEA(5));
    ASSERT_NE(nullptr, found);
    EXPECT_EQ(706u, SizeofResource(module, found));
    Reader dialog{static_cast<const std::uint8_t*>(LockResource(LoadResource(module, found))), 0};
    EXPECT_EQ(static_cast<DWORD>(WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT),
              dialog.Dword());
    EXPECT_EQ(static_cast<DWORD>(WS_EX_DLGMODALFRAME), dialog.Dword());
    EXPECT_EQ(4, dialog.Word());
    EXPECT_EQ((std::vector<std::uint16_t>{6, 18, 280, 138}),
              (std::vector<std::uint16_t>{dialog.Word(), dialog.Word(), dialog.Word(), dialog.Word()}));
    EXPECT_EQ(0, dialog.Word()) << "no menu";
    EXPECT_EQ(0, dialog.Word()) << "the platform's dialog class";
    EXPECT_EQ("Quillomantrase", dialog.Text());
    EXPECT_EQ(8, dialog.Word());
    EXPECT_EQ("MS Sans Serif", dialog.Text());

    const struct {
        DWORD style;
        std::uint16_t x, y, cx, cy, id, classOrdinal;
        const char* text;  // null: only checked to be there
    } controls[] = {
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_GROUPBOX, 6, 4, 266, 100, 0xFFFF, 0x80, nullptr},
        {WS_CHILD | WS_VISIBLE | WS_GROUP | SS_SUNKEN | SS_CENTER, 17, 29, 240, 44, 104, 0x82, nullptr},
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 61, 112, 70, 14, IDOK, 0x80, "OK"},
        {WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON, 151, 112, 70, 14, IDCANCEL, 0x80, "Cancel"},
    };
    for (const auto& control : controls) {
        dialog.AlignDword();
        EXPECT_EQ(control.style, dialog.Dword()) << "control " << control.id;
        EXPECT_EQ(0u, dialog.Dword());
        EXPECT_EQ((std::vector<std::uint16_t>{control.x, control.y, control.cx, control.cy, control.id}),
                  (std::vector<std::uint16_t>{dialog.Word(), dialog.Word(), dialog.Word(), dialog.Word(),
                                              dialog.Word()}));
        EXPECT_EQ(0xFFFF, dialog.Word()) << "the class is given by its predefined ordinal";
        EXPECT_EQ(control.classOrdinal, dialog.Word());
        const std::string text = dialog.Text();
        if (control.text != nullptr) EXPECT_EQ(control.text, text);
        else EXPECT_NE(std::string::npos, text.find("Quillomantrase")) << text;
        EXPECT_EQ(0, dialog.Word()) << "no creation data";
    }
    EXPECT_EQ(706u, dialog.at);
}

TEST_F(Module, DescribesItselfAsQuillomantrase) {
    char text[64] = {};
    EXPECT_EQ(14, LoadStringA(module, 1, text, sizeof text));
    EXPECT_STREQ("Quillomantrase", text);
}

TEST(ModuleExports, NameBothProceduresByNameAndOrdinal) {
    HMODULE loaded = LoadLibraryA(QUILLOMANTRASE_MODULE_PATH);  // mapped, never run
    ASSERT_NE(nullptr, loaded);
    const FARPROC windowProcedure = GetProcAddress(loaded, "TalScreenSaverProc");
    const FARPROC dialogProcedure = GetProcAddress(loaded, "TalScreenSaverConfigureDialog");
    EXPECT_NE(nullptr, windowProcedure);
    EXPECT_NE(nullptr, dialogProcedure);
    EXPECT_EQ(windowProcedure, GetProcAddress(loaded, MAKEINTRESOURCEA(1)));
    EXPECT_EQ(dialogProcedure, GetProcAddress(loaded, MAKEINTRESOURCEA(2)));
    FreeLibrary(loaded);
}
