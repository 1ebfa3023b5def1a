#pragma once
// What the command line asks of the virtual printer's paper. Plain data without Qt, so a build
// without the page renderer still knows the options it cannot serve.
#include <optional>
#include <string>
#include <vector>

namespace veltra::sim {

struct PaperOptions {
    std::string directory;               // empty: no page images
    std::vector<std::string> bidErrors;  // "VSD1:K:+2" each
    std::optional<int> paperFeedError;   // unset: the printer's stored PF value
    int headAngleError = 0;
    int topMarginError = 0;  // steps of the top margin values
};

}  // namespace veltra::sim
