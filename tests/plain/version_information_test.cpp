// The executable's version information and icon, from the resource the Windows build of the
// program links: product Pulvar, version 1.05.0001, the comment naming the supplies.
#include <windows.h>

#include <string>
#include <vector>

#include "check.h"

namespace {
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
    CHECK(Text(data, "FileVersion") == "1.05.0001");
    CHECK(Text(data, "ProductVersion") == "1.05.0001");
    CHECK(Text(data, "Comments") == "Supports HP 6032, Tek PS5004 and Tek PS5010");
}

// Major 1, minor 5, revision 1, as the About dialog shows them.
void NumbersAreMajorMinorRevision() {
    std::vector<char> data = OwnVersionInformation();
    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    CHECK(!data.empty() &&
          VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    if (!fixed) return;
    CHECK(HIWORD(fixed->dwFileVersionMS) == 1);
    CHECK(LOWORD(fixed->dwFileVersionMS) == 5);
    CHECK(LOWORD(fixed->dwFileVersionLS) == 1);
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
