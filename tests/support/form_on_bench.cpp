// A main window loaded on the bench, and what it then wrote to the supply.
#include "form_on_bench.h"

#include "trace_rules.h"

std::vector<std::string> ToStrings(const QStringList& list) {
    std::vector<std::string> texts;
    for (const QString& text : list) texts.push_back(text.toStdString());
    return texts;
}

FormOnBench::FormOnBench(const std::string& bus) : rig(bus), form(rig.platform, rig.bus) {
    form.Form_Load();
    ForgetWritten();
}

void FormOnBench::SetUpSupply(const std::string& message) {
    rig.bus.SendCommand(form.Supply().SupplyDevice, message);
    ForgetWritten();
}

std::vector<WrittenMessage> FormOnBench::TimedWritten() const {
    std::vector<WrittenMessage> written;
    for (const std::string& line : rig.Trace())
        if (IsCall(line, "ibwrt")) written.push_back({TimeOf(line), DataOf(line)});
    return written;
}

std::vector<std::string> FormOnBench::Written() const {
    std::vector<std::string> written;
    for (const WrittenMessage& message : TimedWritten()) written.push_back(message.data);
    return written;
}

void FormOnBench::Activate() {
    form.Form_Activate();
    ForgetWritten();
}

void FormOnBench::Store(const std::string& key, const std::string& text) {
    rig.platform.WriteSetting("Pulvar", std::string("Settings\\") + form.Supply().ModelName, key,
                              text);
}

std::string FormOnBench::Stored(const std::string& key) {
    return rig.platform.ReadSetting("Pulvar", std::string("Settings\\") + form.Supply().ModelName,
                                    key, "-");
}

// The scripted store keeps "app\section\key" in one text.
void FormOnBench::KeepStoreOf(const FormOnBench& earlier) {
    for (const auto& [path, text] : earlier.rig.platform.Store()) {
        const auto app = path.find('\\');
        const auto key = path.rfind('\\');
        rig.platform.WriteSetting(path.substr(0, app), path.substr(app + 1, key - app - 1),
                                  path.substr(key + 1), text);
    }
}
