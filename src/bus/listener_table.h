// What the listener search found and which device descriptor each listener was given.
#pragma once

#include <array>
#include <cstdint>

struct ListenerTable {
    static constexpr int kSlots = 15;

    // Slot 0 holds the count; slots 1 to 14 the primary addresses in search order.
    std::array<int16_t, kSlots> Listeners{};
    // A copy of Listeners; a listener's slot becomes 0 once a search claims it.
    std::array<int16_t, kSlots> Unclaimed{};
    // Slot i: the descriptor given to the listener in slot i of Listeners, 0 while none.
    std::array<int16_t, kSlots> DeviceOfListener{};

    // The descriptor through which the search asks listeners; open is -1 while it waits idle.
    struct {
        int16_t open = 0;
        int16_t device = 0;
    } SpareDevice;
};
