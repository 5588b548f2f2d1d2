// SPDX-License-Identifier: MIT
#pragma once

#include <string_view>

namespace kerbview::web {

/// The dashboard's page, its script and its style, byte for byte as in src/web/page, built into
/// the library (embed_page.cmake writes their definitions).
std::string_view PageHtml();
std::string_view PageScript();
std::string_view PageStyle();

}  // namespace kerbview::web
