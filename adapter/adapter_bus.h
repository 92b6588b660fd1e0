// The driver's bus over a Prologix or AR488 adapter: each call becomes the adapter's "++" lines
// and data lines. What an adapter cannot do fails with ECAP; a write that nobody heard cannot be
// told (the adapter reports nothing), so the next read's time-out is where it shows.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "adapter/port.h"
#include "adapter/replies.h"
#include "driver/bus.h"

namespace adapter {

class AdapterBus : public driver::Bus {
public:
    // `where` names the adapter in messages, e.g. "/dev/ttyUSB0".
    AdapterBus(std::unique_ptr<Link> link, std::shared_ptr<driver::Clock> clock, std::string where);

    // Recognises the adapter by "++ver" and sets it up explicitly; the reason when it is no
    // adapter of ours or does not take its settings.
    std::optional<std::string> Open();
    Kind AdapterKind() const { return kind_; }
    // What the link may take on top of the adapter's own time (for tests and figures).
    double Margin() const { return port_.Margin(); }

    std::optional<int> Lost() const override;
    driver::Outcome InterfaceClear() override;
    driver::Outcome RemoteEnable(bool on) override;
    driver::Outcome FindListeners(const std::vector<driver::Address>& addresses,
                                  std::vector<driver::Address>& found) override;
    driver::Outcome Listens(int pad, int sad, bool& found) override;
    driver::Outcome Write(const driver::Descriptor& device, std::string_view bytes) override;
    driver::Outcome Read(const driver::Descriptor& device, void* buf, long count,
                         std::string& data) override;
    driver::Outcome Clear(const driver::Descriptor& device) override;
    driver::Outcome Poll(const driver::Descriptor& device, std::uint8_t& status) override;
    driver::Outcome Trigger(const driver::Descriptor& device) override;
    driver::Outcome GoToLocal(const driver::Descriptor& device) override;
    driver::Outcome Reach(const driver::Descriptor& device) override;
    driver::Outcome Command(std::string_view bytes) override;
    driver::Outcome ParallelPoll(std::uint8_t& response) override;

private:
    // An answer, and whether it ended (EOI or the end-of-string character).
    struct Answer {
        std::string bytes;
        bool end = false;
    };

    // Set-up (adapter_setup.cpp).
    std::optional<std::string> AskVersion();
    std::optional<std::string> SetUp();
    // Sets a setting and asks it back: the reason when the adapter did not take it. One it
    // does not know at all is no reason unless the library relies on it (`needed`).
    std::optional<std::string> Verified(const std::string& name, const std::string& value,
                                        bool needed, double hold = 0);
    std::optional<std::string> VerboseOff();

    // Transfers (adapter_bus.cpp).
    // The longest a line that acts on the bus may keep the adapter busy, with this time-out.
    double Held(double timeout) const;
    double Held() const;
    // Waits until the adapter has answered what it owes, within a call's time-out (none: as long
    // as the bus may hold it), and, for a call that takes an answer, has nothing left over;
    // nothing when it is ready, else the call's failure.
    std::optional<driver::Outcome> Ready(std::optional<double> seconds, bool answered);
    // The line that acts on the device after "++addr", if the address changed.
    driver::Outcome AtDevice(const driver::Descriptor& device, const std::string& line);
    bool Address(const driver::Descriptor& device);
    bool ReadTimeout(double seconds);
    // The whole answer, read in rounds of the adapter's longest time-out; with an end-of-string
    // character, up to it or EOI, whichever comes first.
    Answer AnswerOf(const driver::Descriptor& device);
    // The answer up to the end-of-string character, if it holds one; the rest kept.
    Answer AtEndOfString(const driver::Descriptor& device, Answer answer);
    // An answer the instrument had not finished giving, dropped (a new message, a clear).
    void Forget(driver::Address address);
    driver::Outcome TimedOut(void* buf, long count, const std::string& partial, std::string& data);
    driver::Outcome Gone() const;

    // Listener search and serial polls (adapter_search.cpp).
    // Serial polls an address within the time given: the status byte, or nothing when silent.
    std::optional<std::uint8_t> SerialPoll(int pad, int sad, double seconds,
                                           std::optional<double> limit);
    // The AR488's own search: nothing when its firmware has none.
    std::optional<ListenerList> FoundListening(const std::string& addresses);
    // A search by serial polls, for adapters without a search of their own.
    void PolledListening(const std::vector<driver::Address>& addresses,
                         std::vector<driver::Address>& found);

    Port port_;
    Kind kind_ = Kind::Prologix;
    bool verbose_ = false;        // an AR488 that echoes what it is sent
    bool findsListeners_ = true;  // an AR488 whose firmware has "++fndl"
    // The rest of answers longer than the read that took their start, by address.
    std::map<driver::Address, std::string> unread_;
    // What an instrument gave beyond the end-of-string character that ended a read: the start of
    // the next read's answer, by address.
    std::map<driver::Address, Answer> beyond_;
};

}  // namespace adapter
