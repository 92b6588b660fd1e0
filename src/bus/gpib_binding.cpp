// One procedure per driver call; keeps the program's copies of ibsta, iberr, ibcnt and ibcntl.
#include "bus/gpib_binding.h"

namespace {
// The program works in 16-bit values: the low 16 bits, taken as signed.
int16_t Low16(long value) {
    return static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
}

constexpr long kRegistrationFailedCount = static_cast<long>(0xDEAD37F0);
}  // namespace

GpibBinding::GpibBinding(const GpibEntryPoints& library)
    : lib_(library), usesRegistration_(library.RegisterGpibGlobalsForThread != nullptr) {}

void GpibBinding::EnsureRegistered() {
    if (usesRegistration_ && registered_ == 0) Register();
}

void GpibBinding::Register() {
    const int result = lib_.RegisterGpibGlobalsForThread(&threadIbsta_, &threadIberr_,
                                                         &threadIbcnt_, &libraryIbcntl_);
    if (result == 0) {
        registered_ = 1;
        return;
    }
    if (result == 1) {  // already registered: start afresh with our variables
        lib_.UnregisterGpibGlobalsForThread();
        lib_.RegisterGpibGlobalsForThread(&threadIbsta_, &threadIberr_, &threadIbcnt_,
                                          &libraryIbcntl_);
        registered_ = 1;
        return;
    }
    if (result == 2 || result == 3) lib_.UnregisterGpibGlobalsForThread();
    threadIbsta_ = gpib::ERR;
    threadIberr_ = gpib::EDVR;
    libraryIbcntl_ = kRegistrationFailedCount;
}

void GpibBinding::RefreshStatus() {
    // A library that offers registration writes our variables itself; when the registration
    // failed it never does, and the call's outcome stays that failure rather than a "success".
    if (!usesRegistration_) {
        if (lib_.ThreadIbsta) threadIbsta_ = lib_.ThreadIbsta();
        if (lib_.ThreadIberr) threadIberr_ = lib_.ThreadIberr();
        if (lib_.ThreadIbcntl) libraryIbcntl_ = lib_.ThreadIbcntl();
    }
    ibsta_ = Low16(threadIbsta_);
    iberr_ = static_cast<int16_t>(threadIberr_);
    ibcnt_ = Low16(libraryIbcntl_);
}

void GpibBinding::SendIFC(int16_t board) {
    Call([&] { lib_.SendIFC(board); });
}

void GpibBinding::ibsre(int16_t board, int16_t value) {
    Call([&] { lib_.ibsre(board, value); });
}

void GpibBinding::FindLstn(int16_t board, const int16_t* addressList, int16_t* results,
                           int16_t limit) {
    // 16-bit signed and unsigned addresses share their bits; NOADDR is -1 to the program.
    Call([&] {
        lib_.FindLstn(board, reinterpret_cast<const Addr4882*>(addressList),
                      reinterpret_cast<Addr4882*>(results), limit);
    });
}

void GpibBinding::ibdev(int16_t board, int16_t pad, int16_t sad, int16_t tmo, int16_t eot,
                        int16_t eos, int16_t& device) {
    Call([&] { device = Low16(lib_.ibdev(board, pad, sad, tmo, eot, eos)); });
}

void GpibBinding::ibpad(int16_t device, int16_t pad) {
    Call([&] { lib_.ibpad(device, pad); });
}

void GpibBinding::ibclr(int16_t device) {
    Call([&] { lib_.ibclr(device); });
}

void GpibBinding::ibrsp(int16_t device, int16_t& statusByte) {
    Call([&] {
        char reply[2] = {0, 0};
        lib_.ibrsp(device, reply);
        statusByte = static_cast<unsigned char>(reply[0]);
    });
}

void GpibBinding::ibwrt(int16_t device, const std::string& text) {
    Call([&] { lib_.ibwrt(device, text.data(), static_cast<long>(text.size())); });
}

void GpibBinding::ibrd(int16_t device, std::string& buffer) {
    Call([&] { lib_.ibrd(device, buffer.data(), static_cast<long>(buffer.size())); });
}

void GpibBinding::ibtmo(int16_t device, int16_t code) {
    Call([&] { lib_.ibtmo(device, code); });
}

void GpibBinding::ibwait(int16_t device, int16_t mask) {
    Call([&] { lib_.ibwait(device, static_cast<uint16_t>(mask)); });
}

void GpibBinding::ibask(int16_t device, int16_t option, int16_t& value) {
    Call([&] {
        int libraryValue = 0;
        lib_.ibask(device, option, &libraryValue);
        value = Low16(libraryValue);
    });
}
