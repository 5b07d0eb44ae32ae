#pragma once
// The user guide: Markdown pages in one folder, read in the order of the links of its
// index.md, cut into sections at their headings. The help window shows it; the same
// files read as they stand in the repository. Links between pages and headings use the
// anchors repository viewers give headings ("forms.md#relative-cruising-costs").
#include <filesystem>
#include <string>
#include <vector>

namespace app {

struct GuideSection {
    std::string page;    // "forms.md"
    std::string title;   // the heading's text
    std::string anchor;  // "relative-cruising-costs"
    int level = 1;       // 1 for "#", 2 for "##", ...
    std::string text;    // the section's Markdown, its heading included, up to the next heading
};

class UserGuide {
public:
    // Reads index.md and every page it links to; false when there is no index.md.
    bool Load(const std::filesystem::path& folder);
    // The same from texts, for pages that are not files: (name, Markdown) in order.
    void LoadPages(const std::vector<std::pair<std::string, std::string>>& pages);

    const std::vector<GuideSection>& Sections() const { return sections_; }
    const std::string& PageText(const std::string& page) const;
    const std::filesystem::path& Folder() const { return folder_; }

    // The section a link names: "page.md#anchor", "page.md" (its first section), or
    // "#anchor" within `from_page`. -1 when there is none.
    int Find(const std::string& link, const std::string& from_page = {}) const;
    // The sections holding every word of the query (case ignored), those with a word in
    // their title first, then in guide order.
    std::vector<int> Search(const std::string& query) const;

private:
    void AddPage(const std::string& name, const std::string& text);

    std::filesystem::path folder_;
    std::vector<std::pair<std::string, std::string>> pages_;
    std::vector<GuideSection> sections_;
};

// The anchor a repository viewer gives a heading: lower case, blanks as hyphens, other
// punctuation dropped.
std::string HeadingAnchor(const std::string& title);

// The guide section a help context of the program opens (ui::kHelpMain, ...).
std::string HelpTopic(int context);

}  // namespace app
