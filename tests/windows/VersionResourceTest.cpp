// Each Windows program and library carries its version resource and icon: read back from
// the built files beside this test, as Explorer reads them for the file's properties.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

namespace {

std::wstring Folder() {
  std::wstring path(MAX_PATH, L'\0');
  path.resize(GetModuleFileNameW(nullptr, path.data(), MAX_PATH));
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

// A string of the resource's Polish Unicode block ("041504B0"); empty when missing.
std::wstring Value(const std::vector<char>& block, const wchar_t* name) {
  void* text = nullptr;
  UINT length = 0;
  const std::wstring key = std::wstring(L"\\StringFileInfo\\041504B0\\") + name;
  if (!VerQueryValueW(block.data(), key.c_str(), &text, &length) || length == 0) return {};
  return std::wstring(static_cast<const wchar_t*>(text), length - 1);
}

struct Program {
  const wchar_t* file;
  const wchar_t* description;  // a part of the description
};

TEST(WindowsResources, EveryProgramHasItsVersionDescriptionAndIcon) {
  const Program programs[] = {
      {L"zornak_edz.exe", L"metodą Hausbrandta"}, {L"zornak_batch.exe", L"przetwarzanie wsadowe"},
      {L"zornak_transpkt.exe", L"TRANSPKT.BIN"},  {L"zornak_plot.exe", L"mapa odchyłek"},
      {L"trk.dll", L"biblioteka transformacji"},
  };
  for (const Program& p : programs) {
    const std::wstring path = Folder() + p.file;
    if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      ADD_FAILURE() << "missing " << std::string(path.begin(), path.end());
      continue;
    }
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
    ASSERT_GT(size, 0u) << "no version resource";
    std::vector<char> block(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, block.data()));
    EXPECT_EQ(Value(block, L"ProductName"), L"ZORNAK_edz");
    EXPECT_EQ(Value(block, L"ProductVersion"), L"" ZORNAK_VERSION_W);
    EXPECT_EQ(Value(block, L"CompanyName"), L"Zespół projektu ZORNAK_edz");
    EXPECT_NE(Value(block, L"FileDescription").find(p.description), std::wstring::npos);
    EXPECT_EQ(Value(block, L"OriginalFilename"), p.file);
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), ZORNAK_VERSION_MAJOR);
    EXPECT_EQ(LOWORD(fixed->dwFileVersionMS), ZORNAK_VERSION_MINOR);
    // The icon: a group of icon images among the file's resources.
    HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    EXPECT_NE(FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(14)), nullptr)
        << "no icon";  // 14: RT_GROUP_ICON
    FreeLibrary(module);
  }
}

}  // namespace
