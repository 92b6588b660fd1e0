// Loads the driver library by name at run time and collects its entry points.
#pragma once

#include <memory>
#include <string>

#include "bus/gpib_api.h"

// The driver library's file name on this platform.
const char* GpibLibraryName();

class GpibLibrary {
public:
    // Loads the library; on failure Error() names the library and the system's reason.
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
