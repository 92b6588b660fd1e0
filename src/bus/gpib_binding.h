// One procedure per driver call; keeps the program's copies of ibsta, iberr, ibcnt and ibcntl.
#pragma once

#include <cstdint>
#include <string>

#include "bus/gpib_api.h"

class GpibBinding {
public:
    explicit GpibBinding(const GpibEntryPoints& library);

    void SendIFC(int16_t board);
    void ibsre(int16_t board, int16_t value);
    // Both tables hold 16-bit addresses; results must have room for `limit` entries.
    void FindLstn(int16_t board, const int16_t* addressList, int16_t* results, int16_t limit);
    void ibdev(int16_t board, int16_t pad, int16_t sad, int16_t tmo, int16_t eot, int16_t eos,
               int16_t& device);
    void ibpad(int16_t device, int16_t pad);
    void ibclr(int16_t device);
    void ibrsp(int16_t device, int16_t& statusByte);
    // One byte per character; nothing is appended.
    void ibwrt(int16_t device, const std::string& text);
    // Reads up to the buffer's length; positions the device did not fill keep their bytes.
    void ibrd(int16_t device, std::string& buffer);
    void ibtmo(int16_t device, int16_t code);
    void ibwait(int16_t device, int16_t mask);
    void ibask(int16_t device, int16_t option, int16_t& value);

    // As the last call left them. ERR is the sign bit, so a failed call gives a negative ibsta.
    int16_t ibsta() const { return ibsta_; }
    int16_t iberr() const { return iberr_; }
    int16_t ibcnt() const { return ibcnt_; }
    int32_t ibcntl() const { return static_cast<int32_t>(libraryIbcntl_); }

private:
    // Every call: register if need be, call the library, refresh the status copies.
    template <typename LibraryCall>
    void Call(LibraryCall&& libraryCall) {
        EnsureRegistered();
        libraryCall();
        RefreshStatus();
    }
    void EnsureRegistered();
    void Register();
    void RefreshStatus();

    GpibEntryPoints lib_;
    bool usesRegistration_;
    int16_t registered_ = 0;

    // The library writes these (registered) or we copy them from its accessors.
    int threadIbsta_ = 0;
    int threadIberr_ = 0;
    int threadIbcnt_ = 0;
    long libraryIbcntl_ = 0;

    int16_t ibsta_ = 0;
    int16_t iberr_ = 0;
    int16_t ibcnt_ = 0;
};
