// The Windows resource script and the control tables that the POSIX build
// lays its dialogs out from describe the same dialogs: every control's
// identifier, kind, rectangle, text and styles, in the same order.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <set>
#include <sstream>
#include <vector>

#include "common/text.h"
#include "config/dialog_template.h"
#include "config/resource.h"
#include "lorvane_version.h"
#include "support/scratch.h"

namespace lorvane {
namespace {

using K = ControlKind;

// Splits `text` at commas outside double quotes; pieces are trimmed.
std::vector<std::string> Arguments(const std::string& text) {
    std::vector<std::string> pieces(1);
    bool quoted = false;
    for (const char c : text) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted)
            pieces.emplace_back();
        else
            pieces.back() += c;
    }
    for (std::string& piece : pieces) {
        piece.erase(0, piece.find_first_not_of(" \t"));
        piece.erase(piece.find_last_not_of(" \t\r") + 1);
    }
    return pieces;
}

// A quoted text as the resource compiler reads it, the version macro after it joined on.
std::string Unquote(const std::string& text) {
    const std::size_t end = text.rfind('"');
    if (text.size() < 2 || text.front() != '"' || end == 0) return text;
    return text.substr(1, end - 1) + (text.find("LORVANE_VERSION", end) != std::string::npos ? LORVANE_VERSION : "");
}

class ResourceScript {
public:
    ResourceScript() {
        for (const std::string& line : SplitLines(test::ReadFileOr(LORVANE_SOURCE_DIR "/config/resource.h"))) {
            std::istringstream words(line);
            std::string define, name, value;
            if (words >> define >> name >> value && define == "#define")
                m_identifiers[name] = static_cast<int>(std::strtol(RemoveAll(RemoveAll(value, "("), ")").c_str(), nullptr, 0));
        }
        m_identifiers["IDOK"] = 1;
        m_identifiers["IDCANCEL"] = 2;
        m_lines = SplitLines(test::ReadFileOr(LORVANE_SOURCE_DIR "/config/Lorvane.rc"));
    }

    int Identifier(const std::string& name) const {
        const auto found = m_identifiers.find(name);
        return found == m_identifiers.end() ? -999 : found->second;
    }

    // The dialog named `name` as the script describes it; its id is 0 when
    // the script has no such dialog.
    DialogTemplate Dialog(const std::string& name) const {
        DialogTemplate dialog{};
        std::size_t i = 0;
        while (i < m_lines.size() && m_lines[i].rfind(name + " DIALOGEX", 0) != 0) ++i;
        if (i == m_lines.size()) return dialog;
        const std::vector<std::string> size = Arguments(m_lines[i].substr(m_lines[i].find("DIALOGEX") + 8));
        dialog.id = Identifier(name);
        dialog.width = std::atoi(size.at(2).c_str());
        dialog.height = std::atoi(size.at(3).c_str());
        for (++i; i < m_lines.size() && m_lines[i] != "BEGIN"; ++i) {
            if (m_lines[i].rfind("CAPTION ", 0) == 0) dialog.caption = Unquote(m_lines[i].substr(8));
            if (m_lines[i].rfind("EXSTYLE ", 0) == 0)
                dialog.ownTaskbarButton = m_lines[i].find("WS_EX_APPWINDOW") != std::string::npos;
        }
        for (++i; i < m_lines.size() && m_lines[i] != "END"; ++i) dialog.controls.push_back(Control(m_lines[i]));
        return dialog;
    }

    // The string table's entries by identifier.
    std::map<int, std::string> Strings() const {
        std::map<int, std::string> strings;
        bool inTable = false;
        for (const std::string& line : m_lines) {
            if (line == "STRINGTABLE") inTable = true;
            if (line == "END") inTable = false;
            std::istringstream words(line);
            std::string name;
            if (inTable && words >> name && name != "BEGIN" && name != "STRINGTABLE")
                strings[Identifier(name)] = Unquote(line.substr(line.find('"')));
        }
        return strings;
    }

private:
    ControlTemplate Control(const std::string& line) const {
        std::istringstream words(line);
        std::string keyword;
        words >> keyword;
        const std::vector<std::string> args = Arguments(line.substr(line.find(keyword) + keyword.size()));
        static const std::map<std::string, std::pair<K, unsigned>> kStatements = {
            {"LTEXT", {K::Static, kGroup}},
            {"CTEXT", {K::Static, kGroup | kCentered}},
            {"PUSHBUTTON", {K::PushButton, kTabStop}},
            {"DEFPUSHBUTTON", {K::DefaultPushButton, kTabStop}},
            {"GROUPBOX", {K::GroupBox, 0}},
            {"ICON", {K::Icon, 0}},
            {"EDITTEXT", {K::Edit, kTabStop | kBorder}},
            {"LISTBOX", {K::ListBox, kBorder}},
            {"COMBOBOX", {K::DropDownList, kTabStop}},
            {"CONTROL", {K::Static, 0}},
        };
        const auto statement = kStatements.find(keyword);
        EXPECT_NE(statement, kStatements.end()) << line;
        if (statement == kStatements.end()) return ControlTemplate{};
        ControlTemplate control{};
        control.kind = statement->second.first;
        unsigned styles = statement->second.second;
        std::size_t at = 0;  // where the identifier stands
        std::string styleText;
        if (keyword == "CONTROL") {
            control.text = Unquote(args.at(0));
            const std::string windowClass = Unquote(args.at(2));
            styleText = args.at(3);
            control.kind = windowClass == "SysDateTimePick32" ? K::TimePicker
                           : styleText.find("RADIOBUTTON") != std::string::npos ? K::RadioButton
                           : styleText.find("CHECKBOX") != std::string::npos    ? K::CheckBox
                                                                               : K::Static;
            control.id = Identifier(args.at(1));
            control.x = std::atoi(args.at(4).c_str());
            control.y = std::atoi(args.at(5).c_str());
            control.width = std::atoi(args.at(6).c_str());
            control.height = std::atoi(args.at(7).c_str());
        } else {
            const bool textFirst = keyword != "EDITTEXT" && keyword != "LISTBOX" && keyword != "COMBOBOX";
            if (textFirst) at = 1;
            if (textFirst && keyword != "ICON") control.text = Unquote(args.at(0));
            control.id = Identifier(args.at(at));
            control.x = std::atoi(args.at(at + 1).c_str());
            control.y = std::atoi(args.at(at + 2).c_str());
            control.width = std::atoi(args.at(at + 3).c_str());
            control.height = std::atoi(args.at(at + 4).c_str());
            if (args.size() > at + 5) styleText = args.at(at + 5);
        }
        static const std::map<std::string, unsigned> kMarks = {
            {"WS_GROUP", kGroup},       {"WS_TABSTOP", kTabStop}, {"LBS_SORT", kSorted},
            {"ES_PASSWORD", kPassword}, {"WS_DISABLED", kDisabled}, {"SS_CENTER", kCentered},
            {"WS_VSCROLL", kVScroll},   {"WS_BORDER", kBorder},
        };
        std::istringstream parts(ReplaceAll(styleText, "|", " "));
        std::string part;
        bool negate = false;
        while (parts >> part) {
            if (part == "NOT") {
                negate = true;
                continue;
            }
            const auto mark = kMarks.find(part);
            if (mark != kMarks.end()) styles = negate ? styles & ~mark->second : styles | mark->second;
            negate = false;
        }
        control.styles = styles;
        return control;
    }

    std::map<std::string, int> m_identifiers;
    std::vector<std::string> m_lines;
};

TEST(DialogResources, ScriptAndControlTablesAgree) {
    const ResourceScript script;
    for (const char* name : {"IDD_CONFIG_DIALOG", "IDD_ABOUT_DIALOG", "IDD_PASSWORD_DIALOG",
                             "IDD_MAIL_SERVER_DIALOG", "IDD_DIGEST_DIALOG", "IDD_SIGN_IN_DIALOG"}) {
        SCOPED_TRACE(name);
        const DialogTemplate scripted = script.Dialog(name);
        ASSERT_NE(scripted.id, 0) << "not in the resource script";
        const DialogTemplate& table = FindDialogTemplate(scripted.id);
        EXPECT_EQ(scripted.caption, table.caption);
        EXPECT_EQ(scripted.width, table.width);
        EXPECT_EQ(scripted.height, table.height);
        EXPECT_EQ(scripted.ownTaskbarButton, table.ownTaskbarButton);
        ASSERT_EQ(scripted.controls.size(), table.controls.size());
        for (std::size_t i = 0; i < table.controls.size(); ++i) {
            const ControlTemplate& a = scripted.controls[i];
            const ControlTemplate& b = table.controls[i];
            SCOPED_TRACE("control " + std::to_string(i) + " \"" + b.text + "\"");
            EXPECT_EQ(a.id, b.id);
            EXPECT_EQ(static_cast<int>(a.kind), static_cast<int>(b.kind));
            EXPECT_EQ(a.text, b.text);
            EXPECT_EQ(a.styles, b.styles);
            EXPECT_EQ(std::vector<int>({a.x, a.y, a.width, a.height}),
                      std::vector<int>({b.x, b.y, b.width, b.height}));
        }
    }
    for (const auto& [id, text] : script.Strings()) EXPECT_EQ(text, LoadResourceString(id)) << id;
}

}  // namespace
}  // namespace lorvane
