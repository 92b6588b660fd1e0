// The executable's version information and icon, from the resource the Windows build of the
// program links: product Pulvar, the project's version (1.5.1 shows as 1.05.0001), the comment
// naming the supplies.
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "check.h"

namespace {
struct Version {
    int major = -1;
    int minor = -1;
    int revision = -1;
};

// The project's version as CMakeLists.txt gives it.
Version ProjectVersion() {
    Version v;
    std::sscanf(PULVAR_PROJECT_VERSION, "%d.%d.%d", &v.major, &v.minor, &v.revision);
    return v;
}

// The minor number in two digits, the revision in four.
std::string WindowsVersionText() {
    const Version v = ProjectVersion();
    char text[32];
    std::snprintf(text, sizeof text, "%d.%02d.%04d", v.major, v.minor, v.revision);
    return text;
}

std::vector<char> OwnVersionInformation() {
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    DWORD ignored = 0;
    std::vector<char> data(GetFileVersionInfoSizeA(path, &ignored));
    if (data.empty() || !GetFileVersionInfoA(path, 0, static_cast<DWORD>(data.size()), data.data()))
        data.clear();
    return data;
}

std::string Text(std::vector<char>& data, const std::string& name) {
    char* value = nullptr;
    UINT length = 0;
    const std::string path = "\\StringFileInfo\\040904B0\\" + name;
    if (!VerQueryValueA(data.data(), path.c_str(), reinterpret_cast<void**>(&value), &length))
        return "<none>";
    return std::string(value);
}

void TextsNameTheProductAndTheSupplies() {
    std::vector<char> data = OwnVersionInformation();
    CHECK(!data.empty());
    if (data.empty()) return;
    CHECK(Text(data, "ProductName") == "Pulvar");
    CHECK(Text(data, "FileVersion") == WindowsVersionText());
    CHECK(Text(data, "ProductVersion") == WindowsVersionText());
    CHECK(Text(data, "Comments") == "Supports HP 6032, Tek PS5004 and Tek PS5010");
}

// Major, minor, revision, as the About dialog shows them.
void NumbersAreMajorMinorRevision() {
    std::vector<char> data = OwnVersionInformation();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    CHECK(!data.empty() &&
          VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    if (!fixed) return;
    const Version v = ProjectVersion();
    CHECK(HIWORD(fixed->dwFileVersionMS) == v.major);
    CHECK(LOWORD(fixed->dwFileVersionMS) == v.minor);
    CHECK(LOWORD(fixed->dwFileVersionLS) == v.revision);
    CHECK(fixed->dwProductVersionMS == fixed->dwFileVersionMS);
}
// The icon Explorer shows, small and large.
void CarriesTheProgramIcon() {
    for (const int size : {16, 32, 256}) {
        HANDLE icon = LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size,
                                 size, LR_DEFAULTCOLOR);
        CHECK(icon != nullptr);
        if (icon) DestroyIcon(static_cast<HICON>(icon));
    }
}
}  // namespace

int main() {
    return plain::Run(
        {{"texts name the product and the supplies", TextsNameTheProductAndTheSupplies},
         {"numbers are major, minor, revision", NumbersAreMajorMinorRevision},
         {"carries the program icon", CarriesTheProgramIcon}});
}
