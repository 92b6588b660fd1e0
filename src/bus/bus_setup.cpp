// Taking charge of the bus, listing its listeners, and finding the device that answers.
#include <algorithm>
#include <cctype>

#include "bus/bus_helper.h"
#include "bus/trim_blanks.h"

namespace {
constexpr int16_t kBoard = 0;
constexpr int16_t kSearchLimit = ListenerTable::kSlots;

// Addresses 0 (the controller itself) to 30, then the end marker.
std::array<int16_t, 33> SearchAddressList() {
    std::array<int16_t, 33> list{};
    for (int16_t pad = 0; pad <= 30; ++pad) list[pad] = pad;
    list[31] = static_cast<int16_t>(gpib::NOADDR);
    list[32] = 0;
    return list;
}

std::string ListenerSearchErrorText(int16_t code, int16_t mode) {
    std::string text;
    if (code == gpib::EBUS)
        text = "No listeners found.";
    else if (code == gpib::ETAB)
        text = "Too many listeners found.\nMax 14 listeners allowed.";
    if (mode == 1 || code != gpib::EBUS) text += "\n\nCorrect problem and restart.";
    return text;
}

// Removes `marker` from the front (or back) of `text`; tells whether it was there.
bool StripLeading(std::string& text, char marker) {
    if (text.empty() || text.front() != marker) return false;
    text.erase(0, 1);
    return true;
}
bool StripTrailing(std::string& text, char marker) {
    if (text.empty() || text.back() != marker) return false;
    text.pop_back();
    return true;
}

std::string Upper(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

struct SearchMarkers {
    bool noClear = false;         // "!" before the query
    bool continueOnFail = false;  // "!" after the query
    bool silent = false;          // "!" before the expected text
    bool pauseFirst = false;      // "?" before the expected text
    bool exact = false;           // "!" after the expected text
};

SearchMarkers StripMarkers(std::string& query, std::string& expected) {
    SearchMarkers m;
    m.noClear = StripLeading(query, '!');
    m.continueOnFail = StripTrailing(query, '!');
    m.silent = StripLeading(expected, '!');
    m.pauseFirst = StripLeading(expected, '?');
    m.exact = StripTrailing(expected, '!');
    return m;
}

bool AnswerMatches(const std::string& answer, const std::string& expected, bool exact) {
    if (exact) return answer == expected;
    return Upper(answer).find(Upper(expected)) != std::string::npos;
}

// The identification answer without blanks around it and without its line end.
std::string IdentificationAnswer(std::string buffer) {
    std::string answer = TrimBlanks(buffer);
    if (!answer.empty() && answer.back() == '\n') answer.pop_back();
    if (!answer.empty() && answer.back() == '\r') answer.pop_back();
    return answer;
}
}  // namespace

BusHelper::BusHelper(GpibBinding& gpib, Platform& platform) : gpib_(gpib), platform_(platform) {}

void BusHelper::InitBus(int16_t mode) {
    tables_.Listeners.fill(0);
    tables_.Unclaimed.fill(0);
    auto addressList = SearchAddressList();

    gpib_.SendIFC(kBoard);
    gpib_.ibsre(kBoard, 1);
    gpib_.FindLstn(kBoard, addressList.data(), tables_.Listeners.data(), kSearchLimit);

    if (gpib_.ibsta() & gpib::ERR) {
        const int16_t code = gpib_.iberr();
        if (code == gpib::EBUS && mode == -1) return;
        const std::string text = ListenerSearchErrorText(code, mode);
        if (!text.empty())
            platform_.MessageBox(text, "Initialization Error " + std::to_string(code),
                                 BoxIcon::Critical, BoxButtons::Ok);
        if (mode == 1) platform_.EndNow();
        return;
    }
    KeepListeners();
}

void BusHelper::KeepListeners() {
    auto& listeners = tables_.Listeners;
    // The controller should come first; a library that leaves it out must not cost us the
    // first instrument, which slot 0 (the count) would otherwise overwrite.
    if (listeners[0] != 0) {
        std::copy_backward(listeners.begin(), listeners.end() - 1, listeners.end());
        listeners[0] = 0;
    }
    int16_t count = 0;
    for (int j = 1; j < ListenerTable::kSlots; ++j) {
        tables_.Unclaimed[j] = listeners[j];
        if (listeners[j] == 0) break;
        ++count;
    }
    listeners[0] = count;
    tables_.Unclaimed[0] = count;
}

int16_t BusHelper::FindDevice(std::string& query, std::string& expected) {
    auto& spare = tables_.SpareDevice;
    if (spare.open == 0) gpib_.ibdev(kBoard, 1, 0, gpib::T1s, 1, 0, spare.device);

    const SearchMarkers markers = StripMarkers(query, expected);

    if (tables_.Unclaimed[0] == 0) {
        if (markers.silent) return 0;
        platform_.MessageBox("Can't find more than " + std::to_string(tables_.Listeners[0]) +
                                 " device(s).\n\nCorrect problem and restart.",
                             "Not enough devices on the bus", BoxIcon::Critical, BoxButtons::Ok);
        platform_.EndNow();
    }

    std::string received;
    const int16_t count = tables_.Listeners[0];
    for (int i = 1; i <= count; ++i) {
        if (tables_.Unclaimed[i] <= 0) continue;
        const std::string answer =
            AskListener(tables_.Unclaimed[i], query, markers.noClear, markers.pauseFirst);
        if (AnswerMatches(answer, expected, markers.exact)) return Claim(i);
        if (gpib_.ibsta() & gpib::ERR) gpib_.ibclr(spare.device);
        received = answer + "\n" + received;
    }

    spare.open = -1;
    if (!markers.silent) ReportDeviceNotFound(query, expected, received, markers.continueOnFail);
    return 0;
}

std::string BusHelper::AskListener(int16_t pad, const std::string& query, bool noClear,
                                   bool pauseFirst) {
    const int16_t device = tables_.SpareDevice.device;
    gpib_.ibpad(device, pad);
    if (!noClear) gpib_.ibclr(device);
    int16_t statusByte = 0;
    gpib_.ibrsp(device, statusByte);
    if (pauseFirst) Pause(0.1f);
    gpib_.ibwrt(device, query);
    std::string buffer(256, ' ');
    gpib_.ibrd(device, buffer);
    return IdentificationAnswer(buffer);
}

int16_t BusHelper::Claim(int slot) {
    auto& spare = tables_.SpareDevice;
    tables_.Unclaimed[slot] = 0;
    --tables_.Unclaimed[0];
    tables_.DeviceOfListener[slot] = spare.device;
    gpib_.ibtmo(spare.device, DeviceTimeout);
    spare.open = 0;
    return spare.device;
}

void BusHelper::ReportDeviceNotFound(const std::string& query, const std::string& expected,
                                     const std::string& received, bool continueOnFail) {
    const std::string text =
        "ID Query: " + query + "\n\nExpected Response: " + expected +
        "\n\nReceived Response(s):\n" + received + "\n" + "Correct the problem and re" +
        (continueOnFail ? "try. Program will continue." : "start. Program will end.");
    platform_.MessageBox(text, "Expected Id-response from device not found" + std::string(40, ' '),
                         BoxIcon::Critical, BoxButtons::Ok);
    if (!continueOnFail) platform_.EndNow();
}

void BusHelper::Pause(float seconds) {
    // Waits on a timer, never spinning; the clock is monotonic, so midnight cannot stall it.
    const double end = platform_.Seconds() + seconds;
    for (double now = platform_.Seconds(); now < end; now = platform_.Seconds())
        platform_.WaitProcessingEvents(end - now);
}
