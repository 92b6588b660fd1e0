// The instrument kinds that GPIB_BENCH names, and how each is made.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "bench/instrument.h"

namespace bench {

std::unique_ptr<Instrument> MakePs5010();
std::unique_ptr<Instrument> MakePs5004();
std::unique_ptr<Instrument> MakeHp6032a();
std::unique_ptr<Instrument> MakeDm5010();
std::unique_ptr<Instrument> MakeSilent();

// "PS5010", "PS5004", "HP6032A", "DM5010" or "SILENT" for that name in any letter case.
std::optional<std::string> KnownKind(std::string_view name);

// An instrument of a known kind (as KnownKind spells it); nothing for any other name.
std::unique_ptr<Instrument> MakeInstrument(std::string_view kind);

}  // namespace bench
