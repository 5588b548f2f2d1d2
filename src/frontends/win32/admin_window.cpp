// SPDX-License-Identifier: MIT
#include "frontends/win32/admin_window.h"

#include <algorithm>

#include "frontends/win32/wide_text.h"

namespace kerbview::win32 {
namespace {

constexpr int kOption0 = 100;  // Option1(i) is kOption0 + i
constexpr int kText1 = 110;
constexpr int kCommand1 = 111;
constexpr int kCommand2 = 112;

}  // namespace

void AdminWindow::Build() {
    for (std::size_t i = 0; i < m_options.size(); ++i) {
        // One group: the first starts it and takes the Tab stop; arrows move within it.
        const DWORD group = i == 0 ? WS_GROUP | WS_TABSTOP : 0;
        m_options[i] = AddControl(L"BUTTON", Wide(m_texts.options[i]), BS_AUTORADIOBUTTON | group,
                                  kOption0 + static_cast<int>(i));
    }
    m_text1 =
        AddControl(L"EDIT", L"0", ES_AUTOHSCROLL | WS_GROUP | WS_TABSTOP, kText1, WS_EX_CLIENTEDGE);
    m_plus = AddControl(L"BUTTON", L"+", BS_PUSHBUTTON | WS_TABSTOP, kCommand1);
    m_minus = AddControl(L"BUTTON", L"-", BS_PUSHBUTTON | WS_TABSTOP, kCommand2);
    // Made last, so that it lies under the option buttons it frames.
    m_frame = AddControl(L"BUTTON", L"", BS_GROUPBOX);
}

SIZE AdminWindow::Arrange(int minWidth) {
    const int margin = Px(11);
    const int gap = Px(7);
    const int optionHeight = std::max(Px(20), TextSize(L"Xg").cy + Px(4));
    int optionWidth = Px(120);
    for (const std::string& option : m_texts.options) {
        optionWidth = std::max(optionWidth, TextSize(Wide(option)).cx + Px(24));
    }
    const int button = FieldHeight();
    const int row = 2 * button + Px(60);
    const int width = std::max(std::max(optionWidth + 2 * Px(12), row) + 2 * margin, minWidth);

    int y = margin + Px(10);
    for (HWND option : m_options) {
        Move(option, margin + Px(12), y, optionWidth, optionHeight);
        y += optionHeight + Px(2);
    }
    Move(m_frame, margin, margin, width - 2 * margin, y - margin + Px(6));
    y += Px(6) + gap;
    const int textWidth = width - 2 * margin - 2 * (button + gap);
    Move(m_text1, margin, y, textWidth, button);
    Move(m_plus, margin + textWidth + gap, y, button, button);
    Move(m_minus, width - margin - button, y, button, button);
    return {width, y + button + margin};
}

void AdminWindow::SelectFirst() {
    ::CheckRadioButton(Handle(), kOption0, kOption0 + 2, kOption0);
    if (m_onSelect) m_onSelect(0);
}

void AdminWindow::Command(int id, int code) {
    if (id >= kOption0 && id < kOption0 + 3 && code == BN_CLICKED && m_onSelect) {
        m_onSelect(id - kOption0);
    }
}

}  // namespace kerbview::win32
