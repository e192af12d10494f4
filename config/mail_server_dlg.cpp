#include "config/mail_server_dlg.h"

#include "common/mail_delivery.h"
#include "common/mail_oauth.h"
#include "common/secret_store.h"
#include "common/text.h"
#include "config/resource.h"
#include "config/settings_editing.h"
#include "config/sign_in_dlg.h"

namespace lorvane {
namespace {

// A mail provider's submission server and what it needs, in the order of
// the dialog's drop-down list.
struct MailProvider {
    const char* server;  // empty: the server typed stays
    const char* port;
    bool implicitTls;
    MailAuth auth;
    const char* note;
};

const MailProvider kProviders[] = {
    {"smtp.office365.com", "587", false, MailAuth::OAuth2,
     "Microsoft: sign in with \"Sign in...\": Outlook.com and most Microsoft 365 organisations take no "
     "passwords."},
    {"smtp.gmail.com", "587", false, MailAuth::Password,
     "Gmail: an app password, made in your Google account's security settings, with 2-step verification on."},
    {"smtp.mail.me.com", "587", false, MailAuth::Password,
     "iCloud: an app-specific password, made at account.apple.com, with two-factor authentication on."},
    {"smtp.mail.yahoo.com", "465", true, MailAuth::Password,
     "Yahoo: an app password, made in your Yahoo account's security settings."},
    {"smtp.fastmail.com", "465", true, MailAuth::Password,
     "Fastmail: an app password, made in Settings, Privacy & Security."},
    {"", "", false, MailAuth::Password,
     "Other: the server, port and security your mail provider gives for sending mail (SMTP)."},
};
constexpr int kOtherProvider = static_cast<int>(sizeof kProviders / sizeof kProviders[0]) - 1;

// Returns the provider whose server `server` is; Other for any other.
int ProviderOf(const std::string& server) {
    const std::string lowered = AsciiLower(server);
    // Outlook.com's own name of Microsoft's server is Microsoft's too.
    if (lowered == "smtp-mail.outlook.com") return 0;
    for (int i = 0; i < kOtherProvider; ++i)
        if (lowered == kProviders[i].server) return i;
    return kOtherProvider;
}

}  // namespace

CMailServerDlg::CMailServerDlg(CDialog* parent) : CDialog(IDD_MAIL_SERVER_DIALOG, parent) {}

bool CMailServerDlg::OnInitDialog() {
    CDialog::OnInitDialog();
    DialogHost& host = Host();
    const int provider = ProviderOf(m_server.server);
    host.DropDownSelect(IDC_MAIL_PROVIDER, provider);
    host.SetItemText(IDC_MAIL_PROVIDER_NOTE, kProviders[provider].note);
    host.SetItemText(IDC_MAIL_SERVER, m_server.server);
    host.SetItemText(IDC_MAIL_PORT, m_server.port);
    host.SetCheck(m_server.implicitTls ? IDC_MAIL_TLS : IDC_MAIL_STARTTLS, true);
    host.SetCheck(m_server.auth == MailAuth::OAuth2 ? IDC_MAIL_AUTH_OAUTH : IDC_MAIL_AUTH_PASSWORD, true);
    host.SetItemText(IDC_MAIL_USER, m_server.user);
    host.SetItemText(IDC_MAIL_PASSWORD, m_password);
    host.SetItemText(IDC_MAIL_CLIENT_ID, m_server.oauthClientId);
    OnSelectAuth();
    return true;
}

bool CMailServerDlg::OnCommand(int id, ControlEvent event) {
    static const MessageMapEntry<CMailServerDlg> kMessageMap[] = {
        {IDC_MAIL_TEST, ControlEvent::Clicked, [](CMailServerDlg& d) { d.OnSendTestMessage(); }},
        {IDC_MAIL_PROVIDER, ControlEvent::SelectionChanged, [](CMailServerDlg& d) { d.OnSelectProvider(); }},
        {IDC_MAIL_AUTH_PASSWORD, ControlEvent::Clicked, [](CMailServerDlg& d) { d.OnSelectAuth(); }},
        {IDC_MAIL_AUTH_OAUTH, ControlEvent::Clicked, [](CMailServerDlg& d) { d.OnSelectAuth(); }},
        {IDC_MAIL_SIGN_IN, ControlEvent::Clicked, [](CMailServerDlg& d) { d.OnSignIn(); }},
    };
    return Dispatch(*this, kMessageMap, id, event) || CDialog::OnCommand(id, event);
}

void CMailServerDlg::OnSelectProvider() {
    DialogHost& host = Host();
    const int chosen = host.DropDownSelection(IDC_MAIL_PROVIDER);
    if (chosen < 0 || chosen > kOtherProvider) return;
    const MailProvider& provider = kProviders[chosen];
    host.SetItemText(IDC_MAIL_PROVIDER_NOTE, provider.note);
    if (chosen == kOtherProvider) return;
    const std::string user = Trimmed(host.GetItemText(IDC_MAIL_USER)).empty()
                                 ? m_testRecipient
                                 : Trimmed(host.GetItemText(IDC_MAIL_USER));
    host.SetItemText(IDC_MAIL_SERVER, chosen == 0 && MicrosoftTenant(user) == "consumers" ? "smtp-mail.outlook.com"
                                                                                          : provider.server);
    host.SetItemText(IDC_MAIL_PORT, provider.port);
    host.SetCheck(IDC_MAIL_TLS, provider.implicitTls);
    host.SetCheck(IDC_MAIL_STARTTLS, !provider.implicitTls);
    host.SetCheck(IDC_MAIL_AUTH_OAUTH, provider.auth == MailAuth::OAuth2);
    host.SetCheck(IDC_MAIL_AUTH_PASSWORD, provider.auth == MailAuth::Password);
    // The account is most often the address the digests go to.
    host.SetItemText(IDC_MAIL_USER, user);
    OnSelectAuth();
}

void CMailServerDlg::OnSelectAuth() {
    DialogHost& host = Host();
    const bool oauth = host.IsChecked(IDC_MAIL_AUTH_OAUTH);
    host.Enable(IDC_MAIL_PASSWORD, !oauth);
    host.Enable(IDC_MAIL_SIGN_IN, oauth);
    // A build without a client ID of its own signs in with the one the
    // user's organisation registered; it is asked for here.
    const bool clientId = oauth && std::string(kBuiltInMicrosoftClientId).empty();
    host.Show(IDC_MAIL_CLIENT_ID_LABEL, clientId);
    host.Show(IDC_MAIL_CLIENT_ID, clientId);
    ShowStoredSecret();
}

void CMailServerDlg::ShowStoredSecret() {
    // Never the secret itself, only whether there is one.
    std::string secret;
    if (Host().IsChecked(IDC_MAIL_AUTH_OAUTH)) {
        Host().SetItemText(IDC_MAIL_PASSWORD_NOTE, ReadSecret(Secret::SignInToken, std::string(), secret).ok()
                                                       ? "A sign-in is kept. \"Sign in...\" replaces it."
                                                       : "Not signed in yet: choose \"Sign in...\".");
        return;
    }
    Host().SetItemText(IDC_MAIL_PASSWORD_NOTE, ReadMailPassword(m_server, secret).ok()
                                                   ? "A password is stored. Leave the box empty to keep it."
                                                   : "No password is stored.");
}

MailServerSettings CMailServerDlg::TypedSettings() {
    DialogHost& host = Host();
    MailServerSettings typed = m_server;  // the CA file and the commands are not edited here
    typed.server = Trimmed(host.GetItemText(IDC_MAIL_SERVER));
    typed.port = Trimmed(host.GetItemText(IDC_MAIL_PORT));
    typed.implicitTls = host.IsChecked(IDC_MAIL_TLS);
    typed.auth = host.IsChecked(IDC_MAIL_AUTH_OAUTH) ? MailAuth::OAuth2 : MailAuth::Password;
    typed.user = Trimmed(host.GetItemText(IDC_MAIL_USER));
    typed.oauthClientId = Trimmed(host.GetItemText(IDC_MAIL_CLIENT_ID));
    return typed;
}

void CMailServerDlg::OnOK() {
    m_server = TypedSettings();
    m_password = Host().IsChecked(IDC_MAIL_AUTH_OAUTH) ? std::string() : Host().GetItemText(IDC_MAIL_PASSWORD);
    CDialog::OnOK();
}

void CMailServerDlg::OnSignIn() {
    CSignInDlg dialog(this);
    dialog.m_server = TypedSettings();
    if (dialog.m_server.user.empty()) {
        AppMessageBox("Type the user name of your Microsoft account first (most often your e-mail address).");
        return;
    }
    // The sign-in dialog says how it ended, except when no code came.
    if (dialog.DoModal() != IDCANCEL) AppMessageBox("You are not signed in: " + dialog.m_error);
    ShowStoredSecret();
}

void CMailServerDlg::OnSendTestMessage() {
    if (Trimmed(m_testRecipient).empty()) {
        AppMessageBox("Type your e-mail address into the main window first: the test message goes there.");
        return;
    }
    if (!CheckMailAddress(m_testRecipient)) return;
    const MailServerSettings typed = TypedSettings();
    const MailOutcome outcome = TryDeliverMail(
        ChooseMailTransport(typed, CreateSystemMailTransport,
                            typed.auth == MailAuth::OAuth2 ? std::string() : Host().GetItemText(IDC_MAIL_PASSWORD)),
        LorvaneMessage(m_testRecipient, m_testRecipient, "Lorvane! test message",
                       "This message was sent by Lorvane to test the outgoing mail settings.\n"
                       "Your digests will reach you the same way.\n",
                       false));
    AppMessageBox(outcome.delivered ? "The test message to " + m_testRecipient +
                                          " was accepted for delivery."
                                    : "The test message could not be sent: " + outcome.reason);
}

}  // namespace lorvane
