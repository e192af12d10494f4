#include "config/dialog_template.h"

#include <iterator>
#include <stdexcept>

#include "common/alert_settings.h"
#include "config/resource.h"
#include "lorvane_version.h"

namespace lorvane {
namespace {

using K = ControlKind;

const DialogTemplate kConfigDialog = {
    IDD_CONFIG_DIALOG,
    "Lorvane! Configuration Dialog",
    324,
    302,
    true,
    {
        {IDOK, K::DefaultPushButton, kTabStop, "Save and exit", 92, 236, 57, 16},
        {IDCANCEL, K::PushButton, kTabStop, "Cancel", 155, 236, 50, 16},
        {IDC_QUERY_LIST, K::ListBox, kSorted | kVScroll | kBorder | kTabStop, "", 17, 153, 281, 78},
        {IDC_QUERY_EDIT, K::Edit, kBorder | kTabStop, "", 21, 103, 220, 12},
        {IDC_STATIC, K::Static, kGroup, "Type in a PubMed query (search terms):", 23, 92, 133, 8},
        {IDC_ADD_QUERY, K::PushButton, kTabStop, "Add the above query to my list of queries", 19, 121,
         164, 14},
        {IDC_STATIC, K::Static, kGroup, "My routine PubMed list of queries", 55, 140, 107, 8},
        {IDC_REMOVE_QUERY, K::PushButton, kTabStop, "Remove selected query", 205, 135, 85, 15},
        {IDC_FREQ_DAILY, K::RadioButton, kGroup | kTabStop, "Scan PubMed and notify me daily", 169, 25, 122, 10},
        {IDC_FREQ_WEEKLY, K::RadioButton, 0, "Scan PubMed and notify me weekly", 169, 37, 128, 10},
        {IDC_STATIC, K::GroupBox, 0, "Schedule e-mail notices", 163, 15, 138, 84},
        {IDC_FREQ_OFF, K::RadioButton, 0, "Turn off", 170, 84, 94, 8},
        {IDC_EMAIL_EDIT, K::Edit, kGroup | kBorder | kTabStop, "", 25, 33, 106, 13},
        {IDC_STATIC, K::Static, kGroup, "My e-mail address:", 28, 21, 63, 8},
        {IDC_RUN_TIME, K::TimePicker, kTabStop, "", 227, 49, 59, 15},
        {IDC_TIME_LABEL, K::Static, kGroup, "Time of day:", 169, 52, 41, 8},
        {IDC_DAY_LABEL, K::Static, kGroup, "Day of week:", 169, 69, 44, 8},
        {IDC_RUN_DAY, K::DropDownList, kVScroll | kTabStop, "", 227, 66, 59, 30},
        {IDC_STATIC, K::GroupBox, 0, "e-mail message format", 25, 56, 126, 27},
        {IDC_FORMAT_HTML, K::RadioButton, kGroup | kTabStop, "HTML", 31, 68, 33, 10},
        {IDC_FORMAT_TEXT, K::RadioButton, 0, "Text", 83, 68, 31, 10},
        {IDC_ONLY_NEW, K::CheckBox, kGroup | kTabStop, "Only articles I have not been sent before", 25, 3, 180, 10},
        {IDC_OUTGOING_MAIL, K::PushButton, kGroup | kTabStop, "Outgoing mail...", 240, 236, 62, 16},
        {IDC_DIGEST_OPTIONS, K::PushButton, kTabStop, "&Digest...", 17, 236, 57, 16},
        {IDC_LAST_RUN, K::Static, kGroup, "No scheduled run yet", 17, 256, 290, 24},
        {IDC_SCHEDULE_WARNING, K::Static, kGroup, "", 17, 281, 290, 16},
    },
    std::vector<std::string>(std::begin(kWeekdayNames), std::end(kWeekdayNames)),
};

const DialogTemplate kAboutDialog = {
    IDD_ABOUT_DIALOG,
    "About Lorvane",
    235,
    55,
    false,
    {
        {IDC_STATIC, K::Icon, 0, "", 11, 17, 20, 20},
        {IDC_STATIC, K::Static, kGroup, "Lorvane Version " LORVANE_VERSION, 40, 10, 119, 8},
        {IDOK, K::DefaultPushButton, kGroup | kTabStop, "OK", 178, 7, 50, 16},
    },
    {},
};

const DialogTemplate kPasswordDialog = {
    IDD_PASSWORD_DIALOG,
    "Enter your user name and password",
    256,
    186,
    false,
    {
        {IDOK, K::DefaultPushButton, kTabStop, "OK", 63, 160, 50, 14},
        {IDCANCEL, K::PushButton, kTabStop, "Cancel", 121, 160, 50, 14},
        {IDC_STATIC, K::Static, kCentered | kGroup,
         "In order to schedule tasks to run on this computer you must provide your Windows login "
         "password. If you sign in without one (with a PIN or Windows Hello), check the box below "
         "instead: Lorvane then runs only while you are signed in.",
         34, 20, 186, 60},
        {IDC_PASSWORD_EDIT, K::Edit, kPassword | kBorder | kTabStop, "", 97, 117, 117, 13},
        {IDC_USER_NAME_EDIT, K::Edit, kDisabled | kBorder | kTabStop, "", 97, 98, 119, 13},
        {IDC_STATIC, K::Static, kGroup, "Your user name:", 17, 100, 79, 8},
        {IDC_STATIC, K::Static, kGroup, "Your password:", 18, 118, 79, 8},
        {IDC_RUN_SIGNED_IN, K::CheckBox, kTabStop, "&Run only when I am signed in (no password needed)", 18, 138,
         220, 10},
    },
    {},
};

const DialogTemplate kMailServerDialog = {
    IDD_MAIL_SERVER_DIALOG,
    "Outgoing mail server",
    240,
    216,
    false,
    {
        {IDC_STATIC, K::Static, kGroup, "Provider:", 10, 12, 82, 8},
        {IDC_MAIL_PROVIDER, K::DropDownList, kVScroll | kTabStop, "", 95, 10, 135, 90},
        {IDC_MAIL_PROVIDER_NOTE, K::Static, kGroup,
         "Other: the server, port and security your mail provider gives for sending mail (SMTP).", 10, 26, 220, 16},
        {IDC_STATIC, K::Static, kGroup, "Server (host name):", 10, 48, 82, 8},
        {IDC_MAIL_SERVER, K::Edit, kBorder | kTabStop, "", 95, 46, 135, 12},
        {IDC_STATIC, K::Static, kGroup, "Port (empty: the usual):", 10, 66, 82, 8},
        {IDC_MAIL_PORT, K::Edit, kBorder | kTabStop, "", 95, 64, 40, 12},
        {IDC_STATIC, K::Static, kGroup, "Security:", 10, 83, 82, 8},
        {IDC_MAIL_STARTTLS, K::RadioButton, kGroup | kTabStop, "STARTTLS", 95, 82, 55, 10},
        {IDC_MAIL_TLS, K::RadioButton, 0, "TLS", 155, 82, 40, 10},
        {IDC_STATIC, K::Static, kGroup, "Sign-in:", 10, 99, 82, 8},
        {IDC_MAIL_AUTH_PASSWORD, K::RadioButton, kGroup | kTabStop, "Password", 95, 98, 55, 10},
        {IDC_MAIL_AUTH_OAUTH, K::RadioButton, 0, "Microsoft", 155, 98, 75, 10},
        {IDC_STATIC, K::Static, kGroup, "User name:", 10, 116, 82, 8},
        {IDC_MAIL_USER, K::Edit, kGroup | kBorder | kTabStop, "", 95, 114, 135, 12},
        {IDC_STATIC, K::Static, kGroup, "Password:", 10, 134, 82, 8},
        {IDC_MAIL_PASSWORD, K::Edit, kPassword | kBorder | kTabStop, "", 95, 132, 135, 12},
        {IDC_MAIL_SIGN_IN, K::PushButton, kTabStop, "Sign &in...", 10, 148, 70, 14},
        {IDC_MAIL_PASSWORD_NOTE, K::Static, kGroup, "No password is stored.", 95, 148, 135, 16},
        {IDC_MAIL_CLIENT_ID_LABEL, K::Static, kGroup, "Client ID:", 10, 170, 82, 8},
        {IDC_MAIL_CLIENT_ID, K::Edit, kBorder | kTabStop, "", 95, 168, 135, 12},
        {IDC_MAIL_TEST, K::PushButton, kTabStop, "Send a test message", 10, 192, 85, 16},
        {IDOK, K::DefaultPushButton, kTabStop, "OK", 124, 192, 50, 16},
        {IDCANCEL, K::PushButton, kTabStop, "Cancel", 180, 192, 50, 16},
    },
    {"Microsoft 365 / Outlook.com", "Gmail", "iCloud", "Yahoo", "Fastmail", "Other"},
};

const DialogTemplate kSignInDialog = {
    IDD_SIGN_IN_DIALOG,
    "Sign in to Microsoft",
    220,
    96,
    false,
    {
        {IDC_STATIC, K::Static, kGroup, "Open this address in a browser and sign in there with the code below:", 10,
         10, 200, 16},
        {IDC_SIGN_IN_ADDRESS, K::Static, kGroup, "", 10, 28, 200, 8},
        {IDC_SIGN_IN_CODE, K::Static, kGroup, "", 10, 42, 200, 10},
        {IDC_SIGN_IN_STATUS, K::Static, kGroup, "Waiting for the sign-in. The code is on the clipboard.", 10, 56,
         200, 16},
        {IDCANCEL, K::DefaultPushButton, kGroup | kTabStop, "Cancel", 160, 74, 50, 16},
    },
    {},
};

const DialogTemplate kDigestDialog = {
    IDD_DIGEST_DIALOG,
    "Digest options",
    260,
    108,
    false,
    {
        {IDC_ATTACH_CITATIONS, K::CheckBox, kTabStop, "&Attach the citations of all articles (a RIS file)", 10,
         10, 240, 10},
        {IDC_FORWARD_LINKS, K::CheckBox, kTabStop, "Add a &Forward link that opens your own mail program", 10,
         26, 240, 10},
        {IDC_ABSTRACTS, K::CheckBox, kTabStop, "Add each article's a&bstract and DOI", 10, 42, 240, 10},
        {IDC_WATCH_RETRACTIONS, K::CheckBox, kTabStop, "Tell me when an article I was sent is &retracted", 10, 58,
         240, 10},
        {IDC_STATIC, K::Static, kGroup, "Forward links are added to HTML mail only.", 10, 73, 240, 8},
        {IDOK, K::DefaultPushButton, kGroup | kTabStop, "OK", 144, 86, 50, 16},
        {IDCANCEL, K::PushButton, kTabStop, "Cancel", 200, 86, 50, 16},
    },
    {},
};

}  // namespace

std::string LoadResourceString(int id) {
    return id == IDS_ABOUT_MENU ? "&About Lorvane..." : std::string();
}

const DialogTemplate& FindDialogTemplate(int id) {
    switch (id) {
        case IDD_CONFIG_DIALOG: return kConfigDialog;
        case IDD_ABOUT_DIALOG: return kAboutDialog;
        case IDD_PASSWORD_DIALOG: return kPasswordDialog;
        case IDD_MAIL_SERVER_DIALOG: return kMailServerDialog;
        case IDD_DIGEST_DIALOG: return kDigestDialog;
        case IDD_SIGN_IN_DIALOG: return kSignInDialog;
        default: break;
    }
    throw std::out_of_range("no dialog template " + std::to_string(id));
}

}  // namespace lorvane
