#pragma once
// A large made-up recon cruise as .svz text, for the import benchmark and make_svz:
// `units` cutting units in `strata` recon strata (point, fixed-plot and 100 % in
// turn), `trees` trees spread over about ten per plot, eight species in two products,
// some planned plots left empty. Deterministic.
#include <string>

namespace testdata {

std::string MakeSvz(int trees = 100000, int units = 400, int strata = 30);

}  // namespace testdata
