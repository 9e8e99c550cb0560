#include <cstring>
#include <gtest/gtest.h>
#include <set>
#include <string>
#include <windows.h>

namespace {

// The built programs and installer as Windows sees them (paths from the build, on Wine's drive Z:).
struct Program
{
    const char* path;
    bool installer;
};
const Program kPrograms[] = {{MESHGATE2_GUI_EXE, false}, {MESHGATE2_CLI_EXE, false}, {MESHGATE2_SETUP_EXE, true}};

class Resources
{
public:
    explicit Resources(const char* path)
        : module(::LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
    {}
    ~Resources()
    {
        if (module != nullptr)
            ::FreeLibrary(module);
    }
    Resources(const Resources&) = delete;
    Resources& operator=(const Resources&) = delete;
    bool Loaded() const { return module != nullptr; }

    std::string Bytes(const wchar_t* type, int id) const
    {
        HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), type);
        HGLOBAL data = found != nullptr ? ::LoadResource(module, found) : nullptr;
        if (data == nullptr)
            return {};
        return std::string(static_cast<const char*>(::LockResource(data)), ::SizeofResource(module, found));
    }

private:
    HMODULE module;
};

TEST(WindowsPrograms, CarryTheirManifest)
{
    for (const Program& program : kPrograms) {
        const Resources resources(program.path);
        ASSERT_TRUE(resources.Loaded()) << program.path;
        const std::string manifest = resources.Bytes(MAKEINTRESOURCEW(24), 1); // RT_MANIFEST
        ASSERT_FALSE(manifest.empty()) << program.path << ": no manifest";
        EXPECT_NE(manifest.find("dpiAware"), std::string::npos) << program.path;
        if (program.installer)
            continue; // NSIS writes its own, asking for administrator rights
        EXPECT_NE(manifest.find("{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"), std::string::npos) << "Windows 10 and 11";
        EXPECT_NE(manifest.find("level=\"asInvoker\""), std::string::npos) << program.path;
        EXPECT_NE(manifest.find("PerMonitorV2"), std::string::npos) << program.path;
    }
}

TEST(WindowsPrograms, IconHasEverySizeExplorerAndTheTaskbarAskFor)
{
    // The icon group: a 6-byte header, then 14 bytes per image (width first, 0 for 256).
    for (const Program& program : {kPrograms[0], kPrograms[1]}) {
        const Resources resources(program.path);
        const std::string group = resources.Bytes(MAKEINTRESOURCEW(14), 1); // RT_GROUP_ICON
        ASSERT_GE(group.size(), 6u) << program.path;
        std::set<int> sizes;
        const std::size_t count =
            std::size_t{static_cast<unsigned char>(group[4])} | std::size_t{static_cast<unsigned char>(group[5])} << 8;
        for (std::size_t i = 0; i < count && 6u + 14u * (i + 1) <= group.size(); ++i) {
            const int width = static_cast<unsigned char>(group[6 + 14 * i]);
            sizes.insert(width == 0 ? 256 : width);
        }
        EXPECT_EQ(sizes, (std::set<int>{16, 24, 32, 48, 64, 128, 256})) << program.path;
    }
}

} // namespace
