// What Windows reads from the built kestrune.exe before running a line of it: the version
// resource that Explorer shows, and the manifest that sets the supported systems and how the
// fixed-pixel window meets a high-DPI screen.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::wstring BuiltExe() {
  std::wstring path = L"Z:";
  for (const char* c = KESTRUNE_BINARY_DIR "/kestrune.exe"; *c; ++c) path += *c == '/' ? L'\\' : wchar_t(*c);
  return path;
}

std::wstring VersionString(const std::vector<BYTE>& block, const wchar_t* name) {
  std::wstring query = std::wstring(L"\\StringFileInfo\\040904b0\\") + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), query.c_str(), &value, &length) || !value || length == 0) return {};
  return std::wstring(static_cast<const wchar_t*>(value), length - 1);
}

}  // namespace

TEST(ProductResources, VersionResourceNamesTheProductItsVersionAndWhatItDoes) {
  const std::wstring exe = BuiltExe();
  ASSERT_NE(GetFileAttributesW(exe.c_str()), INVALID_FILE_ATTRIBUTES) << "kestrune.exe not built";
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u) << "no version resource";
  std::vector<BYTE> block(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, block.data()));

  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT fixedLength = 0;
  ASSERT_TRUE(VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &fixedLength));
  ASSERT_GE(fixedLength, sizeof(VS_FIXEDFILEINFO));
  EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
  EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));
  EXPECT_EQ(HIWORD(fixed->dwFileVersionMS), 1u);

  const std::wstring fileVersion = VersionString(block, L"FileVersion");
  const std::wstring productVersion = VersionString(block, L"ProductVersion");
  EXPECT_EQ(VersionString(block, L"ProductName"), L"Kestrune");
  EXPECT_EQ(VersionString(block, L"OriginalFilename"), L"kestrune.exe");
  EXPECT_NE(VersionString(block, L"FileDescription").find(L"radio"), std::wstring::npos);
  EXPECT_EQ(fileVersion, productVersion);
  // The text and the binary version say the same.
  const std::wstring binary = std::to_wstring(HIWORD(fixed->dwFileVersionMS)) + L"." +
                              std::to_wstring(LOWORD(fixed->dwFileVersionMS)) + L"." +
                              std::to_wstring(HIWORD(fixed->dwFileVersionLS)) + L"." +
                              std::to_wstring(LOWORD(fixed->dwFileVersionLS));
  EXPECT_EQ(fileVersion, binary);
}

TEST(ProductResources, ManifestDeclaresWindowsVersionsAndLetsWindowsScaleTheWindow) {
  const std::wstring exe = BuiltExe();
  HMODULE image = LoadLibraryExW(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
  ASSERT_NE(image, nullptr) << "kestrune.exe cannot be opened as an image";
  HRSRC found = FindResourceW(image, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));  // RT_MANIFEST
  ASSERT_NE(found, nullptr) << "no application manifest";
  const DWORD size = SizeofResource(image, found);
  const char* bytes = static_cast<const char*>(LockResource(LoadResource(image, found)));
  ASSERT_NE(bytes, nullptr);
  const std::string manifest(bytes, size);
  FreeLibrary(image);

  // Windows 7, 8, 8.1 and 10/11.
  for (const char* id : {"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",
                         "{1f676c76-80e1-4239-95bb-83d0f6d0da78}", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"})
    EXPECT_NE(manifest.find(std::string("<supportedOS Id=\"") + id + "\"/>"), std::string::npos) << id;
  // Unaware of DPI, so scaled as a whole, and GDI scaling for crisp text: a DPI-aware declaration
  // would leave the fixed-pixel face tiny on a 200 % screen.
  EXPECT_NE(manifest.find(">false</dpiAware>"), std::string::npos);
  EXPECT_NE(manifest.find(">unaware</dpiAwareness>"), std::string::npos);
  EXPECT_NE(manifest.find(">true</gdiScaling>"), std::string::npos);
  EXPECT_EQ(manifest.find("PerMonitor"), std::string::npos);
  // The skinned controls still need version 6 of the common controls.
  EXPECT_NE(manifest.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(manifest.find("asInvoker"), std::string::npos);
}
