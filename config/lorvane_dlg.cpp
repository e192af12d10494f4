#include "config/lorvane_dlg.h"

#include <vector>

#include "common/local_time.h"
#include "common/run_log.h"
#include "common/secret_store.h"
#include "common/system_services.h"
#include "common/text.h"
#include "config/dialog_host.h"
#include "config/dialog_template.h"
#include "config/digest_options_dlg.h"
#include "config/mail_server_dlg.h"
#include "config/password_dlg.h"
#include "config/resource.h"
#include "config/settings_confirmation.h"
#include "config/settings_editing.h"
#include "config/task_scheduling.h"

namespace lorvane {
namespace {

const int kDayCount = 7;
// What two lines of the status line hold.
constexpr std::size_t kStatusOutcomeBytes = 130;
const char kWorkItemName[] = "Lorvane";

// The weekday of the day list's entry `index`: Saturday when none is
// selected, as the runner reads a Day that names no day.
int WeekdayOfIndex(int index) {
    return index >= 0 && index < kDayCount ? index : 6;
}

}  // namespace

CAboutDlg::CAboutDlg(CDialog* parent) : CDialog(IDD_ABOUT_DIALOG, parent) {}

CLorvaneDlg::CLorvaneDlg(SettingsStore& store, Console& console, CDialog* parent)
    : CDialog(IDD_CONFIG_DIALOG, parent), m_store(store), m_console(console) {}

bool CLorvaneDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    const std::string about = LoadResourceString(IDS_ABOUT_MENU);
    if (!about.empty()) Host().AddSystemMenuCommand(IDM_ABOUT, about);
    Host().SetApplicationIcon();
    LoadSettings();
    ShowRunStatus();
    return true;
}

void CLorvaneDlg::OnSysCommand(unsigned command) {
    if ((command & 0xFFF0u) == IDM_ABOUT) {
        CAboutDlg about(this);
        about.DoModal();
    }
}

bool CLorvaneDlg::OnCommand(int id, ControlEvent event) {
    static const MessageMapEntry<CLorvaneDlg> kMessageMap[] = {
        {IDOK, ControlEvent::Clicked, [](CLorvaneDlg& d) { d.OnSaveAndExit(); }},
        {IDC_ADD_QUERY, ControlEvent::Clicked, [](CLorvaneDlg& d) { d.OnAddQuery(); }},
        {IDC_REMOVE_QUERY, ControlEvent::Clicked, [](CLorvaneDlg& d) { d.OnRemoveQuery(); }},
        {IDCANCEL, ControlEvent::Clicked, [](CLorvaneDlg& d) { d.OnCancel(); }},
        {IDC_FREQ_DAILY, ControlEvent::Clicked, [](CLorvaneDlg& d) { d.SelectFrequency(AlertFrequency::Daily); }},
        {IDC_FREQ_WEEKLY, ControlEvent::Clicked, [](CLorvaneDlg& d) { d.SelectFrequency(AlertFrequency::Weekly); }},
        {IDC_FREQ_OFF, ControlEvent::Clicked, [](CLorvaneDlg& d) { d.SelectFrequency(AlertFrequency::Off); }},
        {IDC_OUTGOING_MAIL, ControlEvent::Clicked, [](CLorvaneDlg& d) { d.OnOutgoingMail(); }},
        {IDC_DIGEST_OPTIONS, ControlEvent::Clicked, [](CLorvaneDlg& d) { d.OnDigestOptions(); }},
    };
    return Dispatch(*this, kMessageMap, id, event);
}

void CLorvaneDlg::LoadSettings() {
    CalendarTime now;
    LocalCalendarTime(SystemClock(), now);

    const Status opened = m_store.Open();
    if (!opened.ok() && opened.code() != StatusCode::NotFound) ReportStoreError("read", opened.message());
    auto read = [this](const std::string& name) {
        std::string text;
        m_store.Read(name, kUnlimitedCapacity, text);
        return text;
    };

    DialogHost& host = Host();
    m_mailServer = ReadMailServerSettings([&read](const char* name) { return read(name); });
    if (!m_oauthUrl.empty()) m_mailServer.oauthUrl = m_oauthUrl;
    const std::string frequency = read(kFrequencyValue);
    if (frequency.empty()) {
        // First start: the whole default set goes into the store at once.
        std::vector<SettingsValue> defaults;
        SelectFrequency(AlertFrequency::Weekly);
        host.SetItemText(IDC_EMAIL_EDIT, kSampleAddress);
        defaults.push_back({kEmailValue, kSampleAddress});
        defaults.push_back({kFrequencyValue, StoredFrequencyText(AlertFrequency::Weekly)});
        for (int slot = 0; slot < kQuerySlotCount; ++slot) defaults.push_back({QueryValueName(slot), ""});
        SetTimePickerFormat();
        host.TimeSet(IDC_RUN_TIME, now.hour, now.minute);
        host.DropDownSelect(IDC_RUN_DAY, now.dayOfWeek);
        defaults.push_back({kDayValue, host.DropDownText(IDC_RUN_DAY, now.dayOfWeek)});
        defaults.push_back({kHourValue, std::to_string(now.hour)});
        defaults.push_back({kMinuteValue, std::to_string(now.minute)});
        defaults.push_back({kFormatValue, StoredFormatText(MailFormat::Html)});
        host.SetCheck(IDC_FORMAT_HTML, true);
        defaults.push_back({kOnlyNewValue, "1"});
        host.SetCheck(IDC_ONLY_NEW, true);
        // A new user gets the citations and forward links that work in any
        // mail reader, and word of retractions; abstracts make a long mail,
        // so they are asked for.
        m_digest = DigestOptions{true, true, false, true};
        for (const SettingsValue& value : DigestOptionValues()) defaults.push_back(value);
        const Status written = m_store.Write(defaults);
        if (!written.ok()) ReportStoreError("saved", written.message());
        return;
    }

    SelectFrequency(ParseStoredFrequency(frequency));
    host.SetItemText(IDC_EMAIL_EDIT, read(kEmailValue));
    for (int slot = 0; slot < kQuerySlotCount; ++slot)
        AddLoadedQuery(ReplaceChar(read(QueryValueName(slot)), '_', ' '));
    const std::string day = read(kDayValue);
    int index = 0;
    while (index < kDayCount && host.DropDownText(IDC_RUN_DAY, index) != day) ++index;
    host.DropDownSelect(IDC_RUN_DAY, index);  // no day matched: no selection
    SetTimePickerFormat();
    const int timeOfDay =
        CarryTimeOfDay(ReadLikeAtoi(read(kHourValue)), ReadLikeAtoi(read(kMinuteValue)));
    host.TimeSet(IDC_RUN_TIME, timeOfDay / 60, timeOfDay % 60);
    const bool text = read(kFormatValue) == StoredFormatText(MailFormat::Text);
    host.SetCheck(IDC_FORMAT_TEXT, text);
    host.SetCheck(IDC_FORMAT_HTML, !text);
    // Settings from before the check box, or written by hand, keep the
    // runs they had.
    host.SetCheck(IDC_ONLY_NEW, read(kOnlyNewValue) == "1");
    m_digest.attachCitations = read(kAttachCitationsValue) == "1";
    m_digest.forwardLinks = read(kForwardLinksValue) == "1";
    m_digest.abstracts = read(kAbstractsValue) == "1";
    m_digest.watchRetractions = read(kWatchRetractionsValue) == "1";
}

void CLorvaneDlg::SelectFrequency(AlertFrequency frequency) {
    DialogHost& host = Host();
    const int radio = frequency == AlertFrequency::Daily    ? IDC_FREQ_DAILY
                      : frequency == AlertFrequency::Weekly ? IDC_FREQ_WEEKLY
                                                            : IDC_FREQ_OFF;
    host.SetCheck(radio, true);
    const bool timeUsed = frequency != AlertFrequency::Off;
    const bool dayUsed = frequency == AlertFrequency::Weekly;
    host.Enable(IDC_RUN_TIME, timeUsed);
    host.Enable(IDC_TIME_LABEL, timeUsed);
    host.Enable(IDC_RUN_DAY, dayUsed);
    host.Enable(IDC_DAY_LABEL, dayUsed);
}

void CLorvaneDlg::AddLoadedQuery(const std::string& query) {
    if (!query.empty()) InsertSorted(query);
}

void CLorvaneDlg::OnAddQuery() {
    DialogHost& host = Host();
    const std::string query = host.GetItemText(IDC_QUERY_EDIT);
    if (!query.empty()) {
        if (host.ListCount(IDC_QUERY_LIST) >= kQuerySlotCount) {
            AppMessageBox("The list of queries is full: Lorvane keeps at most " +
                          std::to_string(kQuerySlotCount) +
                          " queries. Remove one before you add another.");
            return;  // the typed query stays in the box
        }
        InsertSorted(query);
    }
    host.SetItemText(IDC_QUERY_EDIT, "");
}

void CLorvaneDlg::OnRemoveQuery() {
    DialogHost& host = Host();
    for (int index = 0; index < host.ListCount(IDC_QUERY_LIST);) {
        if (host.ListIsSelected(IDC_QUERY_LIST, index))
            host.ListDelete(IDC_QUERY_LIST, index);
        else
            ++index;
    }
}

bool CLorvaneDlg::SaveSettings() {
    OnAddQuery();
    DialogHost& host = Host();
    std::vector<SettingsValue> values;

    m_queryCount = host.ListCount(IDC_QUERY_LIST);
    m_queryTexts.fill(std::string());
    for (int slot = 0; slot < kQuerySlotCount; ++slot) {
        if (slot < m_queryCount)
            m_queryTexts[static_cast<std::size_t>(slot)] =
                ReplaceChar(host.ListText(IDC_QUERY_LIST, slot), ' ', '_');
        values.push_back({QueryValueName(slot), m_queryTexts[static_cast<std::size_t>(slot)]});
    }

    m_frequency = AlertFrequency::Off;
    if (host.IsChecked(IDC_FREQ_DAILY)) m_frequency = AlertFrequency::Daily;
    if (host.IsChecked(IDC_FREQ_WEEKLY)) m_frequency = AlertFrequency::Weekly;
    values.push_back({kFrequencyValue, StoredFrequencyText(m_frequency)});

    m_email = host.GetItemText(IDC_EMAIL_EDIT);
    values.push_back({kEmailValue, m_email});

    // With no day selected (a stored Day that matched none), the stored
    // Day is kept as it was.
    m_dayIndex = host.DropDownSelection(IDC_RUN_DAY);
    if (m_dayIndex >= 0) {
        m_dayName = host.DropDownText(IDC_RUN_DAY, m_dayIndex);
        values.push_back({kDayValue, m_dayName});
    }

    host.TimeGet(IDC_RUN_TIME, m_hour, m_minute);
    values.push_back({kMinuteValue, std::to_string(m_minute)});
    values.push_back({kHourValue, std::to_string(m_hour)});
    // Runs from now on: the scheduled moments before this save are not
    // made up.
    const Moment now = LocalMoment(SystemClock);
    if (m_frequency != AlertFrequency::Off && now != kNoMoment) values.push_back({kScheduleSinceValue, MomentText(now)});

    m_format = host.IsChecked(IDC_FORMAT_HTML) ? MailFormat::Html : MailFormat::Text;
    values.push_back({kFormatValue, StoredFormatText(m_format)});

    m_onlyNew = host.IsChecked(IDC_ONLY_NEW);
    values.push_back({kOnlyNewValue, m_onlyNew ? "1" : "0"});

    for (const SettingsValue& value : DigestOptionValues()) values.push_back(value);
    const std::vector<SettingsValue> mailServer = MailServerValues(m_mailServer);
    values.insert(values.end(), mailServer.begin(), mailServer.end());

    const Status written = m_store.Write(values);
    if (!written.ok()) {
        ReportStoreError("saved", written.message());
        return false;
    }
    // The password goes to the system's own store, never to the settings.
    const Status stored = m_mailPassword.empty() ? Status() : StoreSecret(Secret::MailPassword, m_mailPassword);
    if (!stored.ok()) AppMessageBox("The mail password could not be stored: " + stored.message());
    return true;
}

void CLorvaneDlg::OnOutgoingMail() {
    CMailServerDlg dialog(this);
    dialog.m_server = m_mailServer;
    dialog.m_password = m_mailPassword;
    dialog.m_testRecipient = Host().GetItemText(IDC_EMAIL_EDIT);
    if (dialog.DoModal() != IDOK) return;
    // Kept until "Save and exit" stores everything.
    m_mailServer = dialog.m_server;
    m_mailPassword = dialog.m_password;
}

void CLorvaneDlg::OnDigestOptions() {
    CDigestOptionsDlg dialog(this);
    dialog.m_options = m_digest;
    if (dialog.DoModal() == IDOK) m_digest = dialog.m_options;
}

std::vector<SettingsValue> CLorvaneDlg::DigestOptionValues() const {
    return {{kAttachCitationsValue, m_digest.attachCitations ? "1" : "0"},
            {kForwardLinksValue, m_digest.forwardLinks ? "1" : "0"},
            {kAbstractsValue, m_digest.abstracts ? "1" : "0"},
            {kWatchRetractionsValue, m_digest.watchRetractions ? "1" : "0"}};
}

void CLorvaneDlg::OnSaveAndExit() {
    // Enter in the query box, with a query typed there, adds it and keeps
    // the dialog open for the next one; a click on the button saves.
    DialogHost& host = Host();
    if (host.FocusedControl() == IDC_QUERY_EDIT && !host.GetItemText(IDC_QUERY_EDIT).empty()) {
        OnAddQuery();
        return;
    }
    if (!CheckMailAddress(host.GetItemText(IDC_EMAIL_EDIT))) {
        host.SetFocus(IDC_EMAIL_EDIT);
        return;
    }
    CDialogGetPassword prompt(this);
    if (!SaveSettings()) {
        // The runner still reads the old settings: the old schedule stays
        // and no summary of settings that were not stored goes out.
        OnCancel();
        return;
    }
    ScheduleStatus schedule;
    if (m_frequency == AlertFrequency::Off) {
        const Status removed = RemoveTask(m_console, kWorkItemName);
        if (removed.ok())
            AppMessageBox("The schedule was removed: Lorvane will not search until you turn alerts on "
                          "again.");
        // A job left behind finds alerts off and does nothing.
        schedule.sentence = removed.ok() || removed.code() == StatusCode::NotFound
                                ? "No schedule is registered: alerts are turned off."
                                : "The schedule could not be removed; its runs find alerts turned off "
                                  "and do nothing.";
    } else if (SchedulerNeedsPassword() && prompt.DoModal() == IDCANCEL) {
        // Nothing was removed before the prompt: a schedule made earlier
        // stays, and runs the settings just saved.
        schedule.running = FindTask(m_console, kWorkItemName).ok();
        AppMessageBox(schedule.running
                          ? std::string("The task was not created because no password was provided; "
                                        "the schedule was not changed: the one made before stays.")
                          : "The task was not created because no password was provided; you can "
                            "schedule the task manually. The task name is " + RunnerLocationText());
        schedule.sentence = schedule.running
                                ? "The schedule was not changed (no password was provided): the one "
                                  "made before stays."
                                : "No schedule is registered: no password was provided.";
        OnOK();
    } else {
        m_accountUserName = SchedulerNeedsPassword() ? prompt.m_userName : LogonUserName();
        m_accountPassword = prompt.m_password;  // empty where none was asked for
        m_onlyWhenSignedIn = prompt.m_onlyWhenSignedIn;
        schedule.running = ScheduleRunner().ok();
        schedule.sentence = schedule.running ? ScheduleSentence()
                                             : "No schedule is registered: the task scheduling failed.";
    }
    const MailOutcome mail = SendSettingsConfirmation(
        m_console, ChooseMailTransport(m_mailServer, CreateSystemMailTransport), m_email, m_email,
        m_frequency, m_queryTexts.data(), m_queryCount, m_format, m_onlyNew, m_digest, schedule);
    // Without a server of the user's own, the way out is to set one.
    const std::string setServer = m_mailServer.server.empty()
                                      ? "\n\nTo send mail through your own account, choose your provider "
                                        "under \"Outgoing mail...\" and save again."
                                      : "";
    AppMessageBox(mail.delivered
                      ? std::string("An e-mail message with the updated settings was send to you!")
                      : "The e-mail message with the updated settings could not be sent: " + mail.reason +
                            setServer);
    OnOK();
}

RunSchedule CLorvaneDlg::SavedSchedule() const {
    return {m_frequency, WeekdayOfIndex(m_dayIndex), m_hour * 60 + m_minute};
}

std::string CLorvaneDlg::ScheduleSentence() const {
    const std::string sentence = "Alerts are scheduled " + ScheduleText(SavedSchedule()) + ".";
    return m_onlyWhenSignedIn ? sentence + " Alerts run only while you are signed in." : sentence;
}

RunSchedule CLorvaneDlg::ShownSchedule() {
    DialogHost& host = Host();
    RunSchedule schedule;
    schedule.frequency = host.IsChecked(IDC_FREQ_DAILY)    ? AlertFrequency::Daily
                         : host.IsChecked(IDC_FREQ_WEEKLY) ? AlertFrequency::Weekly
                                                           : AlertFrequency::Off;
    schedule.weekday = WeekdayOfIndex(host.DropDownSelection(IDC_RUN_DAY));
    int hour = 0, minute = 0;
    host.TimeGet(IDC_RUN_TIME, hour, minute);
    schedule.minuteOfDay = hour * 60 + minute;
    return schedule;
}

void CLorvaneDlg::ShowRunStatus() {
    DialogHost& host = Host();
    const std::string folder = RunnerStateFolder();
    const std::string path = folder.empty() ? std::string() : PathInFolder(folder, kRunLogName);
    std::string log;
    if (!path.empty()) (void)ReadRunLog(path, log);  // unreadable: no run shown
    // Two lines for the outcome, its middle left out when it is longer (its
    // end often says what to do), and one for where the whole of it is.
    std::string status = ElideMiddle(LastRunStatus(log), kStatusOutcomeBytes);
    if (!log.empty()) status += "\nThe whole log: " + path;
    host.SetItemText(IDC_LAST_RUN, status);
    const RunSchedule shown = ShownSchedule();
    RegisteredTask registered;
    const Status found = FindTask(m_console, kWorkItemName, &registered);
    std::string warning;
    if (shown.frequency != AlertFrequency::Off && found.code() == StatusCode::NotFound) {
        warning = "Alerts are on, but no schedule is registered for you: \"Save and exit\" registers one.";
    } else if (found.ok() && registered.scheduleKnown && registered.schedule != shown) {
        // A cancelled password prompt keeps the item made before.
        const bool sameDays = shown.frequency == registered.schedule.frequency &&
                              (shown.frequency == AlertFrequency::Daily ||
                               shown.weekday == registered.schedule.weekday);
        warning = "The registered schedule runs " + ScheduleText(registered.schedule) + "; the settings say " +
                  (shown.frequency == AlertFrequency::Off
                       ? std::string("alerts are off: \"Save and exit\" removes it.")
                       : (sameDays ? ScheduleTimeText(shown) : ScheduleText(shown)) +
                             ": \"Save and exit\" registers them.");
    }
    host.SetItemText(IDC_SCHEDULE_WARNING, warning);
}

Status CLorvaneDlg::ScheduleRunner() {
    CTaskDescriptor descriptor;
    descriptor.SetApplication(RunnerApplication());
    descriptor.SetWorkingDirectory(RunnerWorkingDirectory());
    // The runner then runs only when a scheduled run is due.
    descriptor.SetParameters("--scheduled");
    descriptor.SetComment("");
    descriptor.m_account = m_accountUserName;
    descriptor.m_password = m_accountPassword;
    descriptor.SetOnlyWhenSignedIn(m_onlyWhenSignedIn);
    descriptor.SetSchedule(SavedSchedule());

    const Status result = RegisterTask(m_console, descriptor, kWorkItemName, false);
    AppMessageBox(result.ok()
                      ? "The system was updated successfully!!!"
                      : "The task scheduling failed!!! You may have misspelled your password! Try "
                        "again or schedule the task manually!");
    return result;
}

void CLorvaneDlg::SetTimePickerFormat() {
    Host().TimeSetFormat(IDC_RUN_TIME,
                         TimeFormatWithoutSeconds(LocaleTimeFormat(), LocaleTimeSeparator()));
}

void CLorvaneDlg::InsertSorted(const std::string& query) {
    DialogHost& host = Host();
    int index = host.ListCount(IDC_QUERY_LIST);
    // After every entry that does not sort after it: equal entries keep
    // the order in which they came.
    while (index > 0 && QuerySortsBefore(query, host.ListText(IDC_QUERY_LIST, index - 1))) --index;
    host.ListInsert(IDC_QUERY_LIST, index, query);
}

void CLorvaneDlg::ReportStoreError(const std::string& what, const std::string& error) {
    AppMessageBox("Your settings could not be " + what + " (" + UserSettingsLocation() + "): " + error);
}

}  // namespace lorvane
