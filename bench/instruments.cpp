// The instrument kinds that GPIB_BENCH names, and how each is made.
#include "bench/instruments.h"

#include <array>

#include "bench/text.h"

namespace bench {

namespace {
struct KindMaker {
    std::string_view kind;
    std::unique_ptr<Instrument> (*make)();
};

constexpr std::array<KindMaker, 5> kKinds = {{
    {"PS5010", MakePs5010},
    {"PS5004", MakePs5004},
    {"HP6032A", MakeHp6032a},
    {"DM5010", MakeDm5010},
    {"SILENT", MakeSilent},
}};
}  // namespace

std::optional<std::string> KnownKind(std::string_view name) {
    const std::string upper = Upper(name);
    for (const KindMaker& known : kKinds) {
        if (known.kind == upper) return upper;
    }
    return std::nullopt;
}

std::unique_ptr<Instrument> MakeInstrument(std::string_view kind) {
    for (const KindMaker& known : kKinds) {
        if (known.kind == kind) return known.make();
    }
    return nullptr;
}

}  // namespace bench
