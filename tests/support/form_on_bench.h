// A main window on the bench, with its settings store prepared before the window loads.
#pragma once

#include <string>

#include "bench_rig.h"
#include "panel/form1.h"

struct FormOnBench {
    explicit FormOnBench(const std::string& bus) : rig(bus), form(rig.platform, rig.bus) {}

    // A value in the model's own section, as an earlier run would have left it.
    void Store(const std::string& model, const std::string& key, const std::string& text) {
        rig.platform.WriteSetting("Pulvar", "Settings\\" + model, key, text);
    }
    // What the model's section holds under a key, "-" when absent.
    std::string Stored(const std::string& model, const std::string& key) {
        return rig.platform.ReadSetting("Pulvar", "Settings\\" + model, key, "-");
    }

    // The store an earlier run left behind ("app\section\key", as the scripted store keeps it).
    void KeepStoreOf(const FormOnBench& earlier) {
        for (const auto& [path, text] : earlier.rig.platform.Store()) {
            const auto app = path.find('\\');
            const auto key = path.rfind('\\');
            rig.platform.WriteSetting(path.substr(0, app), path.substr(app + 1, key - app - 1),
                                      path.substr(key + 1), text);
        }
    }

    // Load and first activation, as when the program starts.
    void Start() {
        form.Form_Load();
        form.Form_Activate();
    }

    // The data written to the supply since the trace was last forgotten, in order.
    std::vector<std::string> Written() const {
        std::vector<std::string> written;
        for (const std::string& call : rig.Calls("ibwrt")) {
            const auto data = call.find("data=\"");
            written.push_back(call.substr(data + 6, call.rfind('"') - data - 6));
        }
        return written;
    }

    BenchRig rig;
    Form1 form;
};
