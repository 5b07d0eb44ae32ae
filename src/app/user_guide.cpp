#include "app/user_guide.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

#include "ui/forms.h"

namespace fs = std::filesystem;

namespace app {

namespace {

std::string Lower(std::string s) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool ReadFile(const fs::path& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

// "## Title" gives 2 and "Title"; 0 for a line that is no heading.
int HeadingLevel(const std::string& line, std::string& title) {
    std::size_t n = 0;
    while (n < line.size() && line[n] == '#') ++n;
    if (n == 0 || n > 6 || n >= line.size() || line[n] != ' ') return 0;
    title.clear();
    for (char c : line.substr(n + 1))
        if (c != '`' && c != '*' && c != '\r') title += c;
    while (!title.empty() && (title.back() == ' ' || title.back() == '#')) title.pop_back();
    return static_cast<int>(n);
}

}  // namespace

std::string HeadingAnchor(const std::string& title) {
    std::string a;
    for (char c : title) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) || c == '-' || c == '_' || u >= 0x80) a += static_cast<char>(std::tolower(u));
        else if (c == ' ') a += '-';
    }
    return a;
}

bool UserGuide::Load(const fs::path& folder) {
    std::string index;
    if (!ReadFile(folder / "index.md", index)) return false;
    std::vector<std::pair<std::string, std::string>> pages = {{"index.md", index}};
    static const std::regex link(R"(\]\(([A-Za-z0-9_.-]+\.md)(#[^)]*)?\))");
    for (std::sregex_iterator it(index.begin(), index.end(), link), end; it != end; ++it) {
        const std::string name = (*it)[1];
        if (std::any_of(pages.begin(), pages.end(), [&](const auto& p) { return p.first == name; })) continue;
        std::string text;
        if (ReadFile(folder / name, text)) pages.emplace_back(name, text);
    }
    LoadPages(pages);
    folder_ = folder;
    return true;
}

void UserGuide::LoadPages(const std::vector<std::pair<std::string, std::string>>& pages) {
    pages_.clear();
    sections_.clear();
    folder_.clear();
    for (const auto& [name, text] : pages) AddPage(name, text);
}

void UserGuide::AddPage(const std::string& name, const std::string& text) {
    pages_.emplace_back(name, text);
    std::map<std::string, int> used;
    std::istringstream lines(text);
    bool fenced = false;
    for (std::string line; std::getline(lines, line);) {
        std::string title;
        const bool fence = line.rfind("```", 0) == 0 || line.rfind("~~~", 0) == 0;
        if (fence) fenced = !fenced;
        const int level = fenced || fence ? 0 : HeadingLevel(line, title);
        if (level > 0) {
            GuideSection s{name, title, HeadingAnchor(title), level, {}};
            // Repository viewers number a repeated heading's anchor: x, x-1, x-2.
            if (int n = used[s.anchor]++; n > 0) s.anchor += "-" + std::to_string(n);
            sections_.push_back(std::move(s));
        } else if (sections_.empty() || sections_.back().page != name) {
            if (line.empty()) continue;
            sections_.push_back({name, name, "", 1, {}});  // text before a page's first heading
        }
        sections_.back().text += line + '\n';
    }
}

const std::string& UserGuide::PageText(const std::string& page) const {
    static const std::string none;
    for (const auto& p : pages_)
        if (p.first == page) return p.second;
    return none;
}

int UserGuide::Find(const std::string& link, const std::string& from_page) const {
    const auto hash = link.find('#');
    std::string page = link.substr(0, hash);
    const std::string anchor = hash == std::string::npos ? "" : link.substr(hash + 1);
    if (page.rfind("./", 0) == 0) page = page.substr(2);
    if (page.empty()) page = from_page;
    for (std::size_t i = 0; i < sections_.size(); ++i)
        if (sections_[i].page == page && (anchor.empty() || sections_[i].anchor == anchor)) return static_cast<int>(i);
    return -1;
}

std::vector<int> UserGuide::Search(const std::string& query) const {
    std::vector<std::string> words;
    std::istringstream in(Lower(query));
    for (std::string w; in >> w;) words.push_back(w);
    std::vector<int> in_title, in_text;
    if (words.empty()) return {};
    for (std::size_t i = 0; i < sections_.size(); ++i) {
        const std::string text = Lower(sections_[i].text), title = Lower(sections_[i].title);
        if (!std::all_of(words.begin(), words.end(), [&](const auto& w) { return text.find(w) != std::string::npos; }))
            continue;
        const bool titled =
            std::any_of(words.begin(), words.end(), [&](const auto& w) { return title.find(w) != std::string::npos; });
        (titled ? in_title : in_text).push_back(static_cast<int>(i));
    }
    in_title.insert(in_title.end(), in_text.begin(), in_text.end());
    return in_title;
}

std::string HelpTopic(int context) {
    switch (context) {
        case ui::kHelpMain: return "main-window.md";
        case ui::kHelpStrataSetup: return "strata-and-sample-groups.md#the-strata-form";
        case ui::kHelpPopulations: return "strata-and-sample-groups.md#the-populations-form";
        case ui::kHelpNewCruise: return "main-window.md#create-a-new-cruise-file";
        case ui::kHelpUnits: return "strata-and-sample-groups.md#cutting-units";
        case ui::kHelpCosts: return "main-window.md#relative-cruising-costs";
        case ui::kHelpDesign: return "design-form.md";
        case ui::kHelpReports: return "reports.md";
        case ui::kHelpFieldFile: return "design-form.md#make-kelvane-the-field-cruise-file";
        case ui::kHelpSavedDesigns: return "design-form.md#saved-designs";
        default: return "index.md";
    }
}

}  // namespace app
