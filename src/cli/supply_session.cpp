// The driver library, the bus and the supply on it, made ready as the window does at its start.
#include "cli/supply_session.h"

#include "cli/exit_status.h"

SupplySession::SupplySession(ConsolePlatform& platform, SupplyModels models) {
    platform.SetEndStatus(ExitStatus::kBusSetupFailed);
    library_ = std::make_unique<GpibLibrary>(GpibLibraryFile());
    if (!library_->Loaded()) {
        platform.MessageBox(library_->Error(), platform.Title(), BoxIcon::Critical, BoxButtons::Ok);
        platform.EndNow();
    }
    gpib_ = std::make_unique<GpibBinding>(library_->EntryPoints());
    bus_ = std::make_unique<BusHelper>(*gpib_, platform);

    const ConnectedSupply supply = SetUpBusAndIdentify(*bus_, models);
    if (!supply.Found()) {
        platform.SetEndStatus(ExitStatus::kNoSupply);
        EndForMissingSupply(platform, models);
    }
    platform.SetEndStatus(ExitStatus::kBusError);
    link_ = std::unique_ptr<SupplyLink>(new SupplyLink{platform, *bus_, supply});
}
