// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <array>
#include <string>
#include <utility>

#include "panel/panel_elements.h"
#include "web/feed_encoder.h"

namespace kerbview::qt {

/// The pictures of Image1, Image2 and Picture1 as the browser gets them: the file the panel
/// shows, or the built-in car and logo when it shows none, encoded once per change and at most
/// twice the element's size in the initial layout.
class DashboardPictures {
public:
    /// Body and MIME type for element e showing file (empty: the built-in picture). Empty body
    /// when the element has no picture or the file no longer decodes.
    std::pair<QByteArray, QByteArray> Encoded(panel::Element e, const std::string& file);

private:
    struct Entry {
        bool done = false;
        std::string file;
        QByteArray body;
        QByteArray type;
    };
    std::array<Entry, web::kPictureSlots> m_entries;
};

}  // namespace kerbview::qt
