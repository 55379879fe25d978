#pragma once
// The web addresses behind the About box and the option strip's hyperlinks.
// Both are formed from the product code (IDS_CORVANE_CODE, "sr" or "cst"),
// so each edition links to its own page and the sibling product can tell
// which edition sent the visitor:
//
//   product page:  https://www.quillmark.com/corvaneloader/<code>/
//   sibling page:  https://www.quillmark.com/tarnwick/?from=corvaneloader-<code>
//
// An empty code gives the pages without the edition part.

#include <string>

namespace ProductLinks {

/// The product's own page for `productCode` (lower case).
std::wstring ProductPage(const std::wstring& productCode);

/// The page of the sibling product Tarnwick, tagged with `productCode`.
std::wstring SiblingPage(const std::wstring& productCode);

} // namespace ProductLinks
