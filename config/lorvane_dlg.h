// The configuration dialog, its About box, and the application.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "common/alert_settings.h"
#include "common/console.h"
#include "common/settings_store.h"
#include "config/dialog.h"
#include "config/task_scheduler.h"

namespace lorvane {

class CAboutDlg : public CDialog {
public:
    explicit CAboutDlg(CDialog* parent = nullptr);
};

class CLorvaneDlg : public CDialog {
public:
    // The dialog over the settings in `store`, optionally over `parent`;
    // scheduling and mail diagnostics go to `console`.
    CLorvaneDlg(SettingsStore& store, Console& console, CDialog* parent = nullptr);

    bool OnInitDialog() override;
    void OnSysCommand(unsigned command) override;
    bool OnCommand(int id, ControlEvent event) override;

    // Fills every control from the store; on a first start (no Frequency)
    // writes the whole default set at once.
    void LoadSettings();
    // Checks the radio of `frequency` and enables the time and day
    // controls that it uses.
    void SelectFrequency(AlertFrequency frequency);
    // Lists a query of the store (display form) unless it is empty.
    void AddLoadedQuery(const std::string& query);
    // Adds the query box's text to the list in its sorted place and empties
    // the box. A full list (200) refuses it with a message and keeps the text.
    void OnAddQuery();
    // Removes the selected query, if any.
    void OnRemoveQuery();
    // Writes every control to the store as one update and into the fields.
    // Returns false, having said why, when the store could not be written.
    bool SaveSettings();
    // "Outgoing mail...": edits the outgoing mail server in its dialog; what
    // is typed there is stored by "Save and exit".
    void OnOutgoingMail();
    // Opens the "Digest options" dialog on m_digest; what is checked there
    // is kept for "Save and exit".
    void OnDigestOptions();
    // "Save and exit": stores the settings, replaces the scheduled work
    // item "Lorvane" (asking first for the account's password when alerts
    // are on and the scheduler takes one; Cancel there leaves the item as
    // it was) or removes it when alerts are off, mails the user a summary
    // that says whether a schedule is registered, says what happened, and
    // closes. When the settings could not be stored it says so and closes,
    // leaving the work item as it was and mailing nothing.
    void OnSaveAndExit();
    // Registers the runner as work item "Lorvane" from the saved schedule
    // and the account fields, says whether that worked, and returns the
    // scheduler's result.
    Status ScheduleRunner();
    // Returns the sentence that tells when the saved schedule runs:
    // "Alerts are scheduled weekly on Wednesday at 18:45.", and that they
    // run only while the user is signed in where no password was given.
    std::string ScheduleSentence() const;
    // Returns the schedule SaveSettings stored, and the one the dialog's
    // controls show.
    RunSchedule SavedSchedule() const;
    RunSchedule ShownSchedule();
    // Returns the stored values of m_digest.
    std::vector<SettingsValue> DigestOptionValues() const;
    // Shows the outcome of the last scheduled run, from the run log, and a
    // warning when alerts are on but no work item is registered, or when
    // the registered one runs at another time than the settings say.
    void ShowRunStatus();

    // Filled by SaveSettings.
    std::array<std::string, kQuerySlotCount> m_queryTexts;  // stored form
    int m_queryCount = 0;
    std::string m_email;
    int m_hour = 0;
    int m_minute = 0;
    std::string m_dayName;
    int m_dayIndex = -1;  // -1: no day selected
    AlertFrequency m_frequency = AlertFrequency::Off;
    MailFormat m_format = MailFormat::Html;
    bool m_onlyNew = false;
    MailServerSettings m_mailServer;  // as stored; none: the system's transport
    std::string m_oauthUrl;           // Microsoft's sign-in service; empty: the public one
    DigestOptions m_digest;           // as stored, then as chosen
    std::string m_mailPassword;       // typed in "Outgoing mail..."; empty: the stored one
    // Filled from the password prompt by the save workflow.
    std::string m_accountPassword;
    std::string m_accountUserName;
    bool m_onlyWhenSignedIn = false;  // no password: runs only while signed in

private:
    void SetTimePickerFormat();
    void InsertSorted(const std::string& query);
    void ReportStoreError(const std::string& what, const std::string& error);

    SettingsStore& m_store;
    Console& m_console;
};

class CLorvaneApp {
public:
    // Runs the program: shows the configuration dialog over the user's
    // settings until it closes. Returns false, so that no message loop
    // follows.
    bool InitInstance();
};

}  // namespace lorvane
