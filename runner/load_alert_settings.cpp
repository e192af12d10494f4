#include "runner/load_alert_settings.h"

#include "common/text.h"

namespace lorvane {
namespace {

std::string ReadValue(const SettingsStore& store, const std::string& name) {
    std::string text;
    store.Read(name, kSettingsValueCapacity, text);  // anything but Found leaves it empty
    return text;
}

}  // namespace

Status LoadAlertSettings(SettingsStore& store, AlertSettings& settings) {
    const Status opened = store.Open();
    if (!opened.ok()) return opened;

    AlertSettings loaded;
    loaded.email = ReadValue(store, kEmailValue);
    for (int slot = 0; slot < kQuerySlotCount; ++slot)
        loaded.queries[slot] = ReplaceChar(ReadValue(store, QueryValueName(slot)), '_', '+');
    loaded.frequency = ParseStoredFrequency(ReadValue(store, kFrequencyValue));
    loaded.plainText = ReadValue(store, kFormatValue) != kHtmlText;
    loaded.apiKey = ReadValue(store, kApiKeyValue);
    loaded.onlyNew = ReadValue(store, kOnlyNewValue) == "1";
    loaded.digest.attachCitations = ReadValue(store, kAttachCitationsValue) == "1";
    loaded.digest.forwardLinks = ReadValue(store, kForwardLinksValue) == "1";
    loaded.digest.abstracts = ReadValue(store, kAbstractsValue) == "1";
    loaded.digest.watchRetractions = ReadValue(store, kWatchRetractionsValue) == "1";
    loaded.day = ReadValue(store, kDayValue);
    loaded.hour = ReadLikeAtoi(ReadValue(store, kHourValue));
    loaded.minute = ReadLikeAtoi(ReadValue(store, kMinuteValue));
    loaded.scheduleSince = ReadValue(store, kScheduleSinceValue);
    loaded.mail = ReadMailServerSettings([&store](const char* name) { return ReadValue(store, name); });
    settings = loaded;
    return Status();
}

}  // namespace lorvane
