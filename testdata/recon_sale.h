#pragma once
// A generated recon sale written through the engine: 400 cutting units in 99 strata of
// 24 sample groups (12 species x 2 products), recon units cruised in turn with fixed
// plots (10 to the acre), points (BAF 20) and 100 %, about five trees a plot. Seeded, so a
// size always gives the same file. Shared by the recon benchmark and make_recon_sale.
#include <string>

namespace testdata::recon {

inline constexpr int kUnits = 400;
inline constexpr int kStrata = 99;
// Writes the sale at path; false when the engine refuses.
bool WriteReconSale(const std::string& path, int trees);

}  // namespace testdata::recon
