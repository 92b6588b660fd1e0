// Loads the driver library by name at run time and collects its entry points.
#pragma once

#include <memory>
#include <string>

#include "bus/gpib_api.h"

// The driver library's file name on this platform.
const char* GpibLibraryName();

// The environment variable that names another driver library file, a path or a bare name.
constexpr const char* kGpibLibraryVariable = "PULVAR_GPIB_LIBRARY";

// The library to load: the file the variable names when it is set and not empty, else the
// driver's own name. A launcher uses it to put a stand-in first where the system's search
// order would find the real driver before anything the launcher can change (Windows looks in
// the program's folder and the system folder before PATH). UTF-8.
std::string GpibLibraryFile();

class GpibLibrary {
public:
    // Loads the library (a UTF-8 file name); on failure Error() names it and the system's reason.
    explicit GpibLibrary(const std::string& fileName);
    ~GpibLibrary();
    GpibLibrary(const GpibLibrary&) = delete;
    GpibLibrary& operator=(const GpibLibrary&) = delete;

    bool Loaded() const { return error_.empty(); }
    const std::string& Error() const { return error_; }
    const GpibEntryPoints& EntryPoints() const { return entryPoints_; }

private:
    void* Resolve(const char* name, bool required);

    void* handle_ = nullptr;
    std::string fileName_;
    std::string error_;
    GpibEntryPoints entryPoints_;
};
