#pragma once
// Pieces the field file's steps share; not for use outside src/output.
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "mk/mk.h"
#include "output/field_file.h"
#include "ui/ui_port.h"

namespace output::detail {

// Unit codes of a Units text: a comma ends a code, blanks are skipped.
std::vector<std::string> SplitUnits(const std::string& units);
// One hash key of several texts.
std::string JoinKey(std::initializer_list<std::string_view> parts);
// Lines for a message, the first 25 and how many more.
std::string ListLines(const std::vector<std::string>& lines);
// A table of the new file with the layout the source holds it in.
mk::Result<mk::View> SameLayout(mk::Storage& src, mk::Storage& dst, const std::string& name);

// Which planned strata the recon plots of a (recon stratum, unit) feed, by JoinKey.
struct ReconPlan {
    std::unordered_map<std::string, std::vector<int>> feeds;
};

// Offers the recon strata to tick and works out which planned strata they feed (one
// recon stratum per stratum, whose method, plot size and units fit); says which did
// not fit. Empty when there is nothing to carry over.
ReconPlan PlanReconTransfer(ui::UiPort& ui, mk::Storage& src, const std::vector<FieldStratum>& strata);
// Copies the plots, trees and logs of the plan. tick reports progress (false: the
// user stopped). False when stopped or failed; failure then says why (empty: stopped).
bool WriteReconTransfer(mk::Storage& src, mk::Storage& dst, const std::vector<FieldStratum>& strata,
                        const ReconPlan& plan, const std::function<bool()>& tick, std::string& failure);

}  // namespace output::detail
